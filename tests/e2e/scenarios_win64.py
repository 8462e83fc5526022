"""The system on a 64-bit Windows: the 32-bit tray program with Zolhook.dll
in a 64-bit prefix, typing into a 64-bit and a 32-bit probe window in the
same session. The tray program's low-level hook, served by a thread of its
own, acts for the 64-bit window; the library's window hook acts inside the
32-bit one. The out-of-context calls of Windows, Store apps and the removal
of a slow hook are shown in the simulation."""
import datetime

from harness import check, scenario, wait_until
from scenarios_rules import (ALTGR, ASCII, RIGHT_ALT, SETTINGS, altgr, check_modifiers_up,
                             registry, setting)
from scenarios_setup import start_system, write_macro_with_setup
from scenarios_sound import CAPS_LOCK, NAMES, OFF, ON, heard, scheme_sound

WM_CLOSE = 0x10
DATE_FORMAT = "dd.mm.yyyy"
MACROS = {ALTGR: {"00080045": "Hallo Welt", "00080044": f'^*49"{DATE_FORMAT}"*40'},
          ASCII: {"000000DE": "ae"}}
WINDOWS = (("probe64", 64), ("probe32", 32))


def beep(session, on):
    session.import_registry(f'[{SETTINGS}]\n"Piepsen bei Umschaltungen"=hex:{on:02x}\n')


def start_windows(session):
    """Both probe windows; the 32-bit one, started last, has the focus."""
    return {title: session.start_window(title, bits) for title, bits in WINDOWS}


def type_features(session, window):
    """An AltGr macro, the umlaut conversion (on the US keymap the quote key
    has the virtual key of the German "ä"), the keypad decimal text,
    EasyBackslash and a date macro; each typed exactly once."""
    before = window.characters()
    altgr(session, "e")
    session.keys("apostrophe", "KP_1", "KP_Decimal", "KP_5", "slash")
    altgr(session, "d")
    today = datetime.date.today().strftime("%d.%m.%Y")
    expected = before + "Hallo Welt" + "ae" + "1,5" + "\\" + today
    window.wait_for(lambda lines: window.characters() == expected, repr(expected))
    check_modifiers_up(session, window)


def keys_pass_unchanged(session, windows):
    for title, window in windows.items():
        session.switch_to(title)
        before = window.characters()
        altgr(session, "e")
        session.keys("apostrophe", "x")
        window.wait_for(lambda lines: window.characters() == before + "'x", f"keys unchanged in {title}")


@scenario
def the_tour_in_a_64_bit_and_a_32_bit_window(session):
    session.use_keymap("us")
    capture = session.capture_sound()
    registry(session, {"EasyBackslash": 1, "NUM Punkt": 1, "DecimalDot": ",", "Umlautwandlung": 1,
                       "UmlautMode": 0}, **MACROS)
    session.import_registry("".join(scheme_sound(session, event) for event in range(1, len(NAMES))))
    session.start_tray()
    windows = start_windows(session)
    for title, window in windows.items():
        session.switch_to(title)
        type_features(session, window)
        for expected in ("00", "01"):
            altgr(session, "F1")
            wait_until(lambda: setting(session, "Zolvik eingeschaltet") == expected,
                       f"the master switch toggled to {expected} in {title}")
    # Toggle sounds only now: xdotool's keypad keys make Wine toggle Num Lock,
    # which would be heard too.
    beep(session, 1)
    for count, (title, _) in enumerate(WINDOWS, start=1):
        session.switch_to(title)
        session.keys("Caps_Lock")
        session.keys("Caps_Lock")
        wait_until(lambda: len(heard(capture)) >= 4 * count, f"the Caps Lock sounds in {title}", 30)
    sounds = [event for event, _, _ in heard(capture)]
    check(sounds == [CAPS_LOCK, ON, CAPS_LOCK, OFF] * 2, f"heard {sounds}")


def long_text(length):
    """No "x" and no "ae" in it, so that the person's keys are told apart."""
    return ("Hallo Welt 0123456789 " * (length // 22 + 1))[:length]


@scenario
def a_long_macro_with_the_persons_keys_pressed_during_it(session):
    """AltGr is let go of, and x and the umlaut key pressed, while the macro
    is being typed: the macro arrives once and complete, the person's keys
    after what was already typed, the umlaut converted as the person's."""
    text = long_text(2000)
    session.use_keymap("us")
    registry(session, {"Umlautwandlung": 1, "UmlautMode": 0}, **{ALTGR: {"00080045": text},
                                                                ASCII: {"000000DE": "ae"}})
    session.start_tray()
    windows = start_windows(session)
    for title, window in windows.items():
        session.switch_to(title)
        session.xdotool("keydown", RIGHT_ALT, "key", "e")
        window.wait_for(lambda lines: len(window.characters()) >= 50, f"the macro starting in {title}")
        session.xdotool("keyup", RIGHT_ALT, "key", "x", "apostrophe")
        pressed_at = len(window.characters())
        window.wait_for(lambda lines: len(window.characters()) >= len(text) + 3, f"all of it in {title}",
                        timeout=90)
        window.settle(quiet=0.5)
        typed = window.characters()
        check(pressed_at < len(text), f"the macro had ended before the keys in {title}")
        check(typed.replace("x", "", 1).replace("ae", "", 1) == text,
              f"the macro once in {title}: {len(typed)} characters, {typed[:40]!r}...{typed[-40:]!r}")
        check(pressed_at <= typed.index("x") < typed.index("ae"),
              f"the person's keys after the typed text in {title}: x at {typed.index('x')}, "
              f"pressed at {pressed_at}")
        check_modifiers_up(session, window)


@scenario
def closing_and_killing_the_tray_program_leave_keys_unchanged(session):
    session.use_keymap("us")
    registry(session, {"Umlautwandlung": 1, "UmlautMode": 0}, **MACROS)
    tray = session.start_tray()
    windows = start_windows(session)
    session.probe("post", WM_CLOSE, 0, 0)
    check(tray.wait(timeout=20) == 0, "the tray program ended with 0")
    keys_pass_unchanged(session, windows)

    tray = session.start_tray()
    for title, window in windows.items():
        session.switch_to(title)
        before = window.characters()
        altgr(session, "e")
        window.wait_for(lambda lines: window.characters() == before + "Hallo Welt", f"the macro in {title}")
    session.start("taskkill", "/f", "/im", "Zolvik32.exe").wait(timeout=30)
    tray.wait(timeout=20)
    # The low-level hook goes with its thread. Windows also removes the
    # window hook of a thread that ended; Wine goes on calling it in a
    # process the library is loaded into (in a 32-bit prefix as well), so
    # the 32-bit window is left out here.
    keys_pass_unchanged(session, {"probe64": windows["probe64"]})
    for title, window in windows.items():
        session.switch_to(title)
        check_modifiers_up(session, window)


UNICODE_TEXT = "\u0141ukasz \u2192 10 \u2713 \U0001F600"


def arrived_in_code_page(received, text):
    """Whether a program reading ANSI characters received the text: each
    character of code page 1252 unchanged in its place, every other UTF-16
    unit as one character ("?", or a look-alike such as "L" for "\u0141")."""
    units = [c for c in text for _ in range(len(c.encode("utf-16-le")) // 2)]
    return len(received) == len(units) and all(
        got == want for got, want in zip(received, units) if want.encode("cp1252", "ignore"))


@scenario
def a_unicode_macro_arrives_exactly_in_every_window(session):
    """An AltGr macro of characters from beyond code page 1252, an emoji
    among them, entered in Zolsetup, arrives exactly in a Unicode window,
    64-bit (the low-level hook types it) and 32-bit (the window hook); an
    ANSI window receives its code page 1252 part unchanged."""
    start_system(session)
    write_macro_with_setup(session, "u", UNICODE_TEXT)
    for title, bits, unicode in (("unicode64", 64, True), ("unicode32", 32, True), ("ansi32", 32, False)):
        window = session.start_window(title, bits, unicode)
        altgr(session, "u")
        if unicode:
            window.wait_for(lambda lines: window.wide_characters() == UNICODE_TEXT, f"{UNICODE_TEXT!r} in {title}")
        else:
            window.wait_for(lambda lines: arrived_in_code_page(window.characters(), UNICODE_TEXT),
                            f"the code page 1252 part of {UNICODE_TEXT!r} in {title}")
        check_modifiers_up(session, window)
