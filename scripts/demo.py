#!/usr/bin/env python3
"""The system at work under Wine, for newcomers.

    demo.py tour    on an Xvfb display of its own: imports the example
                    configuration, starts Zolvik32.exe, presses a short
                    tour of real keys in a 64-bit text window (served by
                    the low-level hook in the tray program), then in a
                    32-bit one (served by the window hook inside it),
                    prints what each window received and saves a screenshot
    demo.py try     on your own X display ($DISPLAY): starts Zolvik32.exe
                    and a 64-bit text window with the example
                    configuration, until Ctrl+C

Both use a 64-bit Wine prefix of their own, build/demo/wineprefix64, the
system of the win32 build and the 64-bit text window of the win64 build.
"""
import os
import pathlib
import signal
import subprocess
import sys
import time

REPO = pathlib.Path(__file__).resolve().parents[1]
DEMO = REPO / "build" / "demo"
os.environ["ZOLVIK_ARCH"] = "win64"
os.environ.setdefault("ZOLVIK_BIN", str(REPO / "build" / "win64"))
os.environ.setdefault("ZOLVIK_BIN32", str(REPO / "build" / "win32"))
os.environ["ZOLVIK_E2E_DIR"] = str(DEMO)
os.environ["ZOLVIK_WINEPREFIX"] = str(DEMO / "wineprefix64")
sys.path.insert(0, str(REPO / "tests" / "e2e"))

import run_e2e  # noqa: E402
from harness import BIN, Session  # noqa: E402
from scenarios_sound import NAMES, heard, scheme_sound  # noqa: E402

EXAMPLES = [REPO / "examples" / "german-office.reg", REPO / "examples" / "umlaut-tables.reg"]
RIGHT_ALT = "108"
SCREENSHOT = DEMO / "screenshot.png"


def import_examples(session):
    for example in EXAMPLES:
        subprocess.run(["wine", "reg", "import", str(example)], env=session.env(), check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def say(text):
    print(f"  - {text}", flush=True)


def altgr(session, key):
    session.xdotool("keydown", RIGHT_ALT, "key", key, "keyup", RIGHT_ALT)


def prepare(session):
    """The example configuration, and a tone of its own for each sound event
    (the example names Windows' own sound files), so the capture tells which
    sounds played."""
    session.use_keymap("us")
    capture = session.capture_sound()
    import_examples(session)
    session.import_registry("".join(scheme_sound(session, event) for event in range(1, len(NAMES))))
    # Num Lock on before the system starts, and the keypad keys pressed by
    # their raw keycodes, so that xdotool adds no Num Lock presses of its own
    # (the system would announce each).
    session.keys("Num_Lock")
    return capture


def tour(session, title, bits):
    """Presses the tour's keys in a new window; returns its log."""
    window = session.start_window(title, bits)
    say("AltGr+G: the greeting macro")
    altgr(session, "g")
    say("keypad 1, decimal key, 5: the decimal key types the \"DecimalDot\" text \",\"")
    keypad_1, keypad_decimal, keypad_5 = "87", "91", "84"
    session.keys(keypad_1, keypad_decimal, keypad_5, "Return")
    say("AltGr+Shift+D: today's date in the format dd.mm.yyyy")
    altgr(session, "shift+d")
    session.keys("Return")
    say("the key with virtual key 0xDE (\u00e4 on a German keyboard, the apostrophe key on this "
        "US keymap): the umlaut table types ae")
    session.keys("apostrophe", "Return")
    say("Caps Lock on, then off: the tray program plays the sound of Caps Lock, then On or Off")
    session.keys("Caps_Lock")
    session.keys("Caps_Lock")
    window.settle(quiet=1.5)
    return window


def sounds_heard(capture):
    return [NAMES[event] if event is not None else "?" for event, _, _ in heard(capture)]


def screenshot(session):
    subprocess.run(f"xwd -root -silent -display {session.display} | convert xwd:- {SCREENSHOT}",
                   shell=True, check=True)


def run_tour():
    run_e2e.start()
    session = Session("tour")
    results = []
    try:
        session.switch_locks_off()
        session.reset_registry()
        capture = prepare(session)
        session.start_tray()
        print("The tour in a 64-bit window, served by the low-level hook in Zolvik32.exe:")
        results.append(("64-bit window", tour(session, "probe64", 64), sounds_heard(capture)))
        print("The tour in a 32-bit window, served by Zolhook.dll inside it:")
        results.append(("32-bit window", tour(session, "probe32", 32), sounds_heard(capture)))
        screenshot(session)
    finally:
        session.close()
        run_e2e.stop()
    heard_before = 0
    for name, window, sounds in results:
        print(f"\nThe {name} received:\n")
        for line in window.characters().splitlines():
            print(f"    {line}")
        print(f"\nSounds played, in order: {', '.join(sounds[heard_before:]) or 'none'}")
        heard_before = len(sounds)
    print("\n(Wine passes the X server's Num Lock state on to the window as a Num Lock press,\n"
          " which the system announces like any other: Zehnerblock, then Ein.)")
    print(f"Screenshot: {SCREENSHOT}")


def run_try():
    display = os.environ.get("DISPLAY")
    if not display:
        print("No X display ($DISPLAY) to start the system on.")
        return 1
    run_e2e.make_locales()
    (DEMO / "display").write_text(display)
    session = Session("try")
    subprocess.run([str(REPO / "scripts" / "wine-run.sh"), "--win64", "cmd", "/c", "exit"],
                   check=True, env=dict(os.environ, ZOLVIK_WINEPREFIX=str(DEMO / "wineprefix64")),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    session.reset_registry()
    import_examples(session)
    session.start_tray()
    session.start(BIN / "tests" / "probe.exe", "window", session.work / "window.log", "probe64")
    print("Zolvik32 runs on your display with the example configuration; try AltGr+G or")
    print("AltGr+Shift+D in the 64-bit window titled \"probe64\". Ctrl+C ends it.")
    try:
        signal.pause()
    except KeyboardInterrupt:
        pass
    finally:
        session.close()
    return 0


def main(argv):
    if len(argv) == 2 and argv[1] == "tour":
        run_tour()
        return 0
    if len(argv) == 2 and argv[1] == "try":
        return run_try()
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
