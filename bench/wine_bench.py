#!/usr/bin/env python3
"""The benchmarks under Wine, on an Xvfb display and in a Wine prefix of
their own (build/bench-wineprefix), with the Win32 build of the bench-win32
preset:

  - a 2,000-character AltGr macro typed by the real Zolhook.dll into a
    Unicode probe window, beside the same text with letters that code page
    1252 lacks (typed as Unicode events) and beside xdotool typing the
    first text into the same window: characters per second, and whether
    the text arrived exactly;
  - the same in a 64-bit probe window of a 64-bit prefix
    (build/bench-wineprefix64), where the tray program of the win32 build
    types through the library's low-level hook;
  - the hook procedure's own time per keystroke inside the probe's process,
    measured by Zoltimer.dll (the library with QueryPerformanceCounter around
    the hook procedure) over 2,000 keystrokes per case;
  - the sizes of the deliverables and the installer of the win64 preset.

Prints three tables. Run by bench/run.sh."""
import os
import pathlib
import subprocess
import sys
import time

REPO = pathlib.Path(__file__).resolve().parents[1]
BIN = REPO / "build" / "bench-win32"
# The 64-bit run: this script again, in a process whose harness sees the
# 64-bit prefix.
WIN64_RUN = "typing-64"
WIN64_ENV = {"ZOLVIK_ARCH": "win64", "ZOLVIK_BIN": str(REPO / "build" / "win64"),
             "ZOLVIK_BIN32": str(REPO / "build" / "win32"),
             "ZOLVIK_E2E_DIR": str(REPO / "build" / "win64" / "bench-e2e"),
             "ZOLVIK_WINEPREFIX": str(REPO / "build" / "bench-wineprefix64")}
os.environ.setdefault("ZOLVIK_BIN", str(BIN))
os.environ.setdefault("ZOLVIK_E2E_DIR", str(BIN / "e2e"))
os.environ.setdefault("ZOLVIK_WINEPREFIX", str(REPO / "build" / "bench-wineprefix"))
sys.path.insert(0, str(REPO / "tests" / "e2e"))

import run_e2e  # noqa: E402
from harness import Log, Session, check  # noqa: E402

SETTINGS = r"HKEY_CURRENT_USER\Software\Quendlin\Zolvik32\Settings"
ALTGR = r"HKEY_CURRENT_USER\Software\Quendlin\Zolvik32\Macros\AltGr"
ASCII = r"HKEY_CURRENT_USER\Software\Quendlin\Zolvik32\Macros\Umlaut\Ascii"
RIGHT_ALT = "108"
KEYSTROKES = 2000
# The claimed macro of the timing case, the same as in hook_bench.
SHORT_MACRO = "Hallo"


def sample_text(length):
    """Words, digits and punctuation that the US X keymap has keys for
    under Wine (its VkKeyScanA finds none for parentheses)."""
    words = ["Sehr", "geehrte", "Damen", "und", "Herren,", "vielen", "Dank", "fuer", "Ihre",
             "Nachricht", "vom", "07.12.2026;", "wir", "melden", "uns", "bis", "Freitag!", "Preis:",
             "42,50", "EUR", "-", "Rechnung", "Nr.", "2026/117", "@Team", "#4711", "50%", "&", "A+B=C?"]
    text = ""
    i = 0
    while len(text) < length:
        text += words[i % len(words)] + " "
        i += 7
    return text[:length]


# Letters of Polish and Czech names, none of them in code page 1252.
BEYOND_CODE_PAGE = str.maketrans("lrescznLRESCZN", "\u0142\u0159\u0119\u015b\u010d\u017c\u0144"
                                                 "\u0141\u0158\u0118\u015a\u010c\u017b\u0143")


def reg_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def registry(session, settings, **keys):
    lines = [f"[{SETTINGS}]"] + [f'"{name}"=hex:{value:02x}' for name, value in settings.items()]
    for key, values in keys.items():
        lines.append(f"\n[{key}]")
        lines += [f'"{name}"={reg_string(text)}' for name, text in values.items()]
    session.import_registry("\n".join(lines) + "\n")


def two_hundred_macros():
    """200 macros, as in hook_bench: F1 to F24 and the digits, with six
    modifier states; none on X or E."""
    macros = {}
    for i in range(200):
        flags = [0x08, 0x09, 0x00, 0x01, 0x03, 0x02][i % 6]
        key = i // 6
        code = 0x70 + key if key < 24 else ord("0") + key - 24
        macros[f"{flags:04X}{code:04X}"] = f"Makro {i}"
    return macros


def wait_for_characters(window, count, timeout):
    deadline = time.monotonic() + timeout
    while len(window.wide_characters()) < count and time.monotonic() < deadline:
        time.sleep(0.05)
    return time.monotonic()


# --- a long macro against xdotool --------------------------------------------
def typing_speed(in_64_bit_window=False):
    """In a 64-bit window the tray program types, through its low-level
    hook; otherwise the library inside the window's process."""
    text = sample_text(2000)
    unicode_text = text.translate(BEYOND_CODE_PAGE)
    session = Session("bench-typing")
    rows = []
    try:
        session.reset_registry()
        session.use_keymap("us")
        registry(session, {"Zolvik eingeschaltet": 1}, **{ALTGR: {"00080045": text, "00080055": unicode_text}})
        if in_64_bit_window:
            session.start_tray()
            window = session.start_window("probe64", 64, unicode=True)
            typist = "low-level hook"
        else:
            session.start_host()
            window = session.start_window(unicode=True)
            typist = "Zolhook.dll"

        def typed(name, expected, *keys):
            before = len(window.wide_characters())
            start = time.monotonic()
            session.xdotool(*keys)
            end = wait_for_characters(window, before + len(expected), 120)
            window.settle(quiet=0.5)
            rows.append((name, len(expected) / (end - start), window.wide_characters()[before:] == expected))

        typed(f"{typist} macro (AltGr+E)", text, "keydown", RIGHT_ALT, "key", "e", "keyup", RIGHT_ALT)
        typed(f"{typist} Unicode macro (AltGr+U)", unicode_text, "keydown", RIGHT_ALT, "key", "u", "keyup", RIGHT_ALT)
        for delay in ("12", "0"):
            typed(f"xdotool type --delay {delay}", text, "type", "--delay", delay, text)
    finally:
        session.close()
    where = "a 64-bit probe window in a 64-bit prefix" if in_64_bit_window else "the probe window"
    print(f"== {len(text)} characters typed into {where} under Wine")
    print(f"{'typist':<40}{'chars/s':>10}  arrived exactly")
    for name, speed, exact in rows:
        print(f"{name:<40}{speed:>10.0f}  {'yes' if exact else 'no'}")


# --- the hook procedure's own time in a real process -------------------------
def time_case(name, settings, macros, press, pace_ms=0, held=0):
    """Installs Zoltimer.dll, warms the hook up with one keystroke, then times
    KEYSTROKES of them: each a press and a release the hook sees, besides
    the events of a key held around them all."""
    session = Session("bench-" + name)
    try:
        session.reset_registry()
        session.use_keymap("us")
        registry(session, settings, **macros)
        log = Log(session.work / "times.log")
        session.extra_env["ZOLVIK_TIMER_LOG"] = str(log.path)
        session.start_host(BIN / "bench" / "Zoltimer.dll")
        window = session.start_window()
        session.xdotool(*press(1))
        session.keys("F9")
        log.wait_for(lambda lines: len(lines) == 1, "the warm-up report")
        # Longer than the harness lets one xdotool command run.
        subprocess.run(["xdotool", *press(KEYSTROKES, pace_ms)], env=session.x_env(), check=True,
                       timeout=600)
        window.settle(quiet=1.0, timeout=300)
        session.keys("F9")
        line = log.wait_for(lambda lines: len(lines) == 2, "the report")[-1]
    finally:
        session.close()
    values = dict(item.split("=") for item in line.split()[1:])
    user, synthesised = int(values["user"]), int(values["synthesised"])
    pressed = 2 * KEYSTROKES + 2 * held
    check(user == pressed, f"{name}: {user} key events timed as the user's, {pressed} made")
    total = float(values["user_us"]) + float(values["synthesised_us"])
    return (name, total / KEYSTROKES, synthesised / KEYSTROKES, float(values["press_median_us"]),
            float(values["press_max_us"]))


def keystrokes(*key):
    def press(count, pace_ms=0):
        return ["key", "--delay", str(pace_ms), *([*key] * count)]
    return press


def altgr_keystrokes(count, pace_ms=0):
    return ["keydown", RIGHT_ALT, "key", "--delay", str(pace_ms), *(["e"] * count), "keyup", RIGHT_ALT]


def hook_times():
    on = {"Zolvik eingeschaltet": 1}
    macros = {ALTGR: two_hundred_macros()}
    umlauts = {ASCII: {"000000DE": "ae", "000000C0": "oe", "000000BA": "ue", "000100DE": "Ae",
                       "000100C0": "Oe", "000100BA": "Ue", "000000DB": "ss"}}
    # The right Alt stays held around all the E presses. A macro's keystroke
    # waits for the text of the one before, or its keys would arrive while
    # the hook still expects its own events.
    rows = [
        time_case("modifier", on, {}, keystrokes("shift")),
        time_case("letter, switch off", {"Zolvik eingeschaltet": 0}, macros, keystrokes("x")),
        time_case("letter, 200 macros", on, macros, keystrokes("x")),
        time_case("letter, 200 macros, umlauts", {**on, "Umlautwandlung": 1, "UmlautMode": 0},
                  {**macros, **umlauts}, keystrokes("x")),
        time_case("AltGr macro (5 chars)", on, {ALTGR: {**two_hundred_macros(), "00080045": SHORT_MACRO}},
                  altgr_keystrokes, pace_ms=25, held=1),
    ]
    print(f"== The hook procedure's own time per keystroke in the probe's process under Wine "
          f"({KEYSTROKES} keystrokes, QueryPerformanceCounter)")
    print(f"{'case':<32}{'us/keystroke':>14}{'synth/keystroke':>17}{'press median us':>17}{'press max us':>14}")
    for name, per_key, synthesised, median, longest in rows:
        print(f"{name:<32}{per_key:>14.1f}{synthesised:>17.1f}{median:>17.1f}{longest:>14.0f}")


def sizes():
    print("== Sizes of the deliverables (Release, stripped)")
    win64 = REPO / "build" / "win64"
    for path in (BIN / "Zolhook.dll", BIN / "Zolvik32.exe", BIN / "Zolsetup.exe",
                 win64 / "Zolvik32-Setup.exe"):
        size = path.stat().st_size
        print(f"{path.name:<32}{size:>10} bytes  ({size / 1024:.0f} KiB)")


def typing_speed_64():
    print(flush=True)
    subprocess.run([sys.executable, __file__, WIN64_RUN], env=dict(os.environ, **WIN64_ENV), check=True)


def main():
    if sys.argv[1:] == [WIN64_RUN]:
        run_e2e.start()
        try:
            typing_speed(in_64_bit_window=True)
        finally:
            run_e2e.stop()
        return
    run_e2e.start()
    try:
        typing_speed()
        print()
        hook_times()
        print()
        sizes()
    finally:
        run_e2e.stop()
    typing_speed_64()


if __name__ == "__main__":
    main()
