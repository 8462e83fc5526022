"""Faults the keyboard of every program must survive: the tray program
killed while its hook is installed, registry values of the wrong type where
the library reads settings, macros and sounds, and a very long macro."""
import os
import signal
import time

from harness import BIN, BIN32, Log, check, scenario

SETTINGS = r"HKEY_CURRENT_USER\Software\Quendlin\Zolvik32\Settings"
SPEAKER = SETTINGS + r"\Speaker"
ALTGR = r"HKEY_CURRENT_USER\Software\Quendlin\Zolvik32\Macros\AltGr"
ASCII = r"HKEY_CURRENT_USER\Software\Quendlin\Zolvik32\Macros\Umlaut\Ascii"
HTML = r"HKEY_CURRENT_USER\Software\Quendlin\Zolvik32\Macros\Umlaut\HTML"
SCHEME = r"HKEY_CURRENT_USER\AppEvents\Schemes\Apps\Zolvik32"
RIGHT_ALT = "108"
ON = '"Zolvik eingeschaltet"=hex:01'


def altgr(session, key):
    session.xdotool("keydown", RIGHT_ALT, "key", key, "keyup", RIGHT_ALT)


def altgr_macro(session, window, key, text, timeout=20):
    """AltGr held until the macro has arrived. A key event that comes while
    the library still expects its own typed events is counted as one of
    them, so a release of AltGr made during the typing would go unseen."""
    session.xdotool("keydown", RIGHT_ALT, "key", key)
    window.wait_for(lambda lines: len(window.characters()) >= len(text), f"{len(text)} characters",
                    timeout=timeout)
    session.xdotool("keyup", RIGHT_ALT)


def presses(window):
    return [key for message, key in window.key_messages() if message in ("KEYDOWN", "SYSKEYDOWN")]


def arrives(session, window, key, virtual_key, why):
    """Presses the key and waits until the probe has received its press."""
    before = presses(window).count(virtual_key)
    session.keys(key)
    window.wait_for(lambda lines: presses(window).count(virtual_key) > before,
                    f"{key} reaching the probe ({why})")


def check_modifiers_up(session, window):
    session.focus_window()
    session.keys("F11")
    lines = window.wait_for(lambda lines: any(line.startswith("MODIFIERS") for line in lines),
                            "the modifiers report")
    report = [line for line in lines if line.startswith("MODIFIERS")][-1]
    check("=1" not in report, f"a modifier was left down: {report}")


def sample_text(length):
    """Text the US X keymap has keys for under Wine (its VkKeyScanA finds
    none for parentheses)."""
    words = ["Sehr", "geehrte", "Damen", "und", "Herren,", "Ihre", "Rechnung", "Nr.", "2026/117",
             "vom", "07.12.2026", "ist", "bezahlt;", "Betrag:", "42,50", "EUR", "@Team", "#4711",
             "50%", "A+B=C?", "-", "Danke!"]
    text, i = "", 0
    while len(text) < length:
        text += words[i % len(words)] + " "
        i += 5
    return text[:length]


@scenario
def tray_program_killed_leaves_the_keyboard_working(session):
    # Killed outright: no WM_CLOSE, no Install(0). Typing in a window that
    # had the hook, and in one started afterwards, still arrives exactly.
    session.use_keymap("us")
    session.import_registry(f'[{SETTINGS}]\n{ON}\n\n[{ALTGR}]\n"00080045"="Makro"\n')
    tray = session.start_tray()
    window = session.start_window()
    altgr_macro(session, window, "e", "Makro")
    check(window.characters() == "Makro", f"the macro while the tray runs, got {window.characters()!r}")
    os.kill(tray.pid, signal.SIGKILL)
    tray.wait(timeout=10)
    deadline = time.monotonic() + 10
    while session.control_hook() != 0:
        check(time.monotonic() < deadline, "the control window is gone")
        time.sleep(0.2)
    session.focus_window()
    session.type("Hallo, Welt 42")
    window.wait_for(lambda lines: window.characters().endswith("Hallo, Welt 42"), "typing after the kill")
    check_modifiers_up(session, window)
    later = start_second_window(session)
    session.type("abc 123")
    later.wait_for(lambda lines: later.characters() == "abc 123", "typing in a window started later")


def start_second_window(session):
    """Another probe window, focused; both are titled "probe", so the new
    one is the window the search did not find before."""
    before = set(session.xdotool("search", "--name", "^probe$").split())
    log = Log(session.work / "later.log")
    session.start(BIN / "tests" / "probe.exe", "window", log.path)
    log.wait_for(lambda lines: "READY" in lines, "the second probe window")
    deadline = time.monotonic() + 10
    new = set()
    while not new and time.monotonic() < deadline:
        new = set(session.xdotool("search", "--name", "^probe$").split()) - before
        time.sleep(0.1)
    check(len(new) == 1, f"one new probe window, found {new}")
    session.xdotool("windowfocus", "--sync", new.pop())
    return log


@scenario
def wrongly_typed_macros_never_stop_a_key(session):
    session.use_keymap("us")
    session.import_registry(
        f'[{SETTINGS}]\n{ON}\n"Umlautwandlung"=hex:01\n"UmlautMode"=hex:00\n\n'
        f'[{ALTGR}]\n"00080045"=dword:00000001\n"00000042"=hex:41,42\n\n'
        f'[{ASCII}]\n"00000041"=dword:00000001\n\n'
        f'[{HTML}]\n"00000043"=hex(7):41,00,00\n')
    session.start_host()
    window = session.start_window()
    arrives(session, window, "a", 0x41, "umlaut table value of type REG_DWORD")
    arrives(session, window, "b", 0x42, "AltGr macro value of type REG_BINARY")
    before = presses(window).count(0x45)
    altgr(session, "e")
    window.wait_for(lambda lines: presses(window).count(0x45) > before,
                    "AltGr+E reaching the probe (macro value of type REG_DWORD)")
    session.import_registry(f'[{SETTINGS}]\n"UmlautMode"=hex:01\n')
    arrives(session, window, "c", 0x43, "HTML table value of type REG_MULTI_SZ")
    check(window.characters() == "abc", f"the letters as typed, got {window.characters()!r}")
    check_modifiers_up(session, window)


@scenario
def wrongly_typed_settings_never_stop_a_key(session):
    # Each setting the hook reads, stored with a type it cannot read, with
    # the key that makes the hook read it.
    session.use_keymap("us")
    session.start_host()
    window = session.start_window()
    cases = [
        ('"Zolvik eingeschaltet"=dword:00000001', "x", 0x58),
        (f'{ON}\n"Umlautwandlung"=dword:00000001', "x", 0x58),
        (f'{ON}\n"Umlautwandlung"=hex:01\n"UmlautMode"="0"', "x", 0x58),
        (f'{ON}\n"NUM Punkt"=dword:00000001', "KP_Decimal", 0x6E),
        (f'{ON}\n"NUM Punkt"=hex:01\n"DecimalDot"=hex:2c', "KP_Decimal", 0x6E),
        (f'{ON}\n"EasyTab"=hex:01,01', "KP_Add", 0x6B),
        (f'{ON}\n"EasyBackslash"=dword:00000001', "slash", 0xBF),
        (f'{ON}\n"NUM Umschaltung sperren"=dword:00000001', "Num_Lock", 0x90),
        (f'{ON}\n"Piepsen bei Umschaltungen"=dword:00000001', "Scroll_Lock", 0x91),
    ]
    for values, key, virtual_key in cases:
        session.reset_registry()
        session.import_registry(f"[{SETTINGS}]\n{values}\n")
        arrives(session, window, key, virtual_key, values.splitlines()[-1])
    check_modifiers_up(session, window)


@scenario
def wrongly_typed_sounds_never_stop_a_key(session):
    # The hook asks for the Caps Lock sounds; playing them fails on the
    # wrongly typed value (the stand-in for the tray program reports the
    # error it was handed), and the key goes on all the same.
    session.use_keymap("us")
    session.import_registry(
        f'[{SETTINGS}]\n{ON}\n"Piepsen bei Umschaltungen"=hex:01\n\n'
        f'[{SCHEME}\\Gro\xdfschrift\\.current]\n@=hex:43,3a,5c\n\n'
        f'[{SCHEME}\\Ein\\.current]\n@=dword:00000001\n')
    host = session.start_host()
    window = session.start_window()
    arrives(session, window, "Caps_Lock", 0x14, "scheme sounds of the wrong type")
    host.wait_for(lambda lines: sum(line.startswith("SOUNDERROR") for line in lines) == 2,
                  "both scheme sounds failing on their type")
    session.import_registry(f'[{SETTINGS}]\n"Speaker benutzen"=hex:01\n\n'
                            f'[{SPEAKER}]\n"Gro\xdfschrift"=hex:34,34,30\n"Aus"=dword:000001b8\n')
    arrives(session, window, "Caps_Lock", 0x14, "speaker tones of the wrong type")
    host.wait_for(lambda lines: sum(line.startswith("SOUNDERROR") for line in lines) == 4,
                  "both speaker tones failing on their type")
    session.type("ok")
    window.wait_for(lambda lines: window.characters() == "ok", "letters after the sounds")


@scenario
def ten_thousand_character_macro_types_completely(session):
    text = sample_text(10000)
    session.use_keymap("us")
    session.import_registry(f'[{SETTINGS}]\n{ON}\n\n[{ALTGR}]\n"00080045"="{text}"\n')
    session.start_tray()
    window = session.start_window()
    altgr_macro(session, window, "e", text, timeout=90)
    window.settle(quiet=0.5)
    typed = window.characters()
    check(typed == text, f"{len(typed)} characters arrived; first difference at "
          f"{next((i for i, (a, b) in enumerate(zip(typed, text)) if a != b), min(len(typed), len(text)))}")
    check_modifiers_up(session, window)
    session.type("x")
    window.wait_for(lambda lines: window.characters() == text + "x", "a plain x after the macro")


@scenario
def program_with_the_shared_gcc_runtime_survives_the_library(session):
    # A program built with MinGW and the shared GCC runtime has it loaded
    # before the library arrives. The library's contained errors (a macro
    # and an umlaut table value of the wrong type) must not end it, nor
    # the library's unloading once the tray program has removed its hook;
    # then it closes normally.
    session.use_keymap("us")
    session.import_registry(
        f'[{SETTINGS}]\n{ON}\n"Umlautwandlung"=hex:01\n"UmlautMode"=hex:00\n\n'
        f'[{ALTGR}]\n"00080045"=dword:00080045\n"00080047"="Gut"\n\n'
        f'[{ASCII}]\n"00000041"=dword:00000001\n')
    tray = session.start_tray()
    log = Log(session.work / "shared.log")
    program = session.start(BIN32 / "tests" / "e2e" / "shared_runtime" / "probe.exe", "window",
                            log.path, "shared")
    log.wait_for(lambda lines: "READY" in lines, "the program with the shared runtime")
    session.window_id = session.xdotool("search", "--sync", "--name", "^shared$").split()[0]
    session.focus_window()
    arrives(session, log, "a", 0x41, "umlaut table value of type REG_DWORD")
    before = presses(log).count(0x45)
    altgr(session, "e")
    log.wait_for(lambda lines: presses(log).count(0x45) > before,
                 "AltGr+E reaching the program (macro value of type REG_DWORD)")
    altgr_macro(session, log, "g", "aGut")
    check(program.poll() is None, f"the program ended with exit code {program.poll()}")
    session.keys("F11")
    log.wait_for(lambda lines: "LIBRARY 1" in lines, "the library in the program")
    session.probe("post", 0x10, 0, 0)
    tray.wait(timeout=20)
    session.keys("F9")
    log.wait_for(lambda lines: "LIBRARY 0" in lines, "the library unloaded from the program")
    session.type("x")
    log.wait_for(lambda lines: log.characters() == "aGutx", "typing after the library left")
    session.keys("alt+F4")
    check(program.wait(timeout=20) == 0, f"the program closed with exit code {program.returncode}")
