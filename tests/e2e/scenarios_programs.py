"""The rules per program and the password fields on real key presses: the
probe window started under the file name of a program in the Programme key,
beside one of another program, and a password field beside a text field.
On the US X keymap AltGr+G types the macro, the apostrophe key (the
virtual key of the German A umlaut) is converted by the umlaut table, the
slash key is the "#" key of EasyBackslash, and the keypad's decimal key
types the NUM Punkt text ";". Wine gives the German "#" key another virtual
key, so the German keymap, with its real umlaut, serves the password field
with a Ctrl+Shift macro."""
import shutil

from harness import BIN32, Log, check, scenario
from scenarios_rules import ALTGR, ASCII, RIGHT_ALT, registry
from scenarios_setup import PROGRAMS, close_setup, controls, end, open_setup, start_system, value, wait_until

PROGRAMS_KEY = r"HKEY_CURRENT_USER\Software\Quendlin\Zolvik32\Programme"
CONVERTED = "Gruss" "ae" "\\" ";"


def configure(session, rules):
    registry(session, {"Umlautwandlung": 1, "UmlautMode": 0, "EasyBackslash": 1, "NUM Punkt": 1,
                       "DecimalDot": ";"},
             **{ASCII: {"000000DE": "ae"}, ALTGR: {"00080047": "Gruss", "00030047": "Gruss"}, PROGRAMS_KEY: rules})


def start_window(session, title, program=None, *options):
    """A probe window, run from a copy named `program` when given, which
    then has the keyboard focus."""
    path = BIN32 / "tests" / "probe.exe"
    if program:
        shutil.copy(path, session.work / program)
        path = session.work / program
    log = Log(session.work / f"{title}.log")
    session.start(path, "window", log.path, title, *options)
    log.wait_for(lambda lines: "READY" in lines, f"{title} window ready")
    session.switch_to(title)
    return log


def typed(session, window, layout="us"):
    """What the window has received once the keys are typed: on the US
    keymap AltGr+G, ', / and the keypad's decimal key; on the German one
    Ctrl+Shift+G, \xe4 and the keypad's decimal key."""
    if layout == "us":
        session.xdotool("keydown", RIGHT_ALT, "key", "g", "keyup", RIGHT_ALT)
        session.keys("apostrophe", "slash", "KP_Decimal")
    else:
        session.keys("ctrl+shift+g", "adiaeresis", "KP_Decimal")
    window.settle()
    # Ctrl+Shift+G that reaches the window makes the control character 07.
    return window.characters().replace("\x07", "")


def typed_in_remote(session, rule):
    """The tray program and the window "remote" of mstsc.exe under that rule:
    what the keys typed there."""
    configure(session, {"MSTSC.EXE": rule})
    session.use_keymap("us")
    session.start_tray()
    return typed(session, start_window(session, "remote", "mstsc.exe"))


@scenario
def a_program_left_alone_gets_every_key_unchanged_and_another_converts(session):
    unchanged = typed_in_remote(session, "alles")
    check(unchanged == "'/.", f"the remote window got the keys' own characters, got {unchanged!r}")
    other = start_window(session, "probe")
    converted = typed(session, other)
    check(converted == CONVERTED, f"another program converts, got {converted!r}")


@scenario
def a_program_without_the_umlaut_conversion_gets_its_macros(session):
    got = typed_in_remote(session, "Umlaute")
    check(got == "Gruss'\\;", f"all but the umlaut conversion, got {got!r}")


@scenario
def a_password_field_keeps_what_is_typed_beside_a_converting_field(session):
    configure(session, {})
    session.use_keymap("de")
    session.start_tray()
    window = start_window(session, "probe", None, "password")
    in_password = typed(session, window, "de")
    check(in_password == "Gruss\xe4", f"the password field is not converted but gets the macro, got {in_password!r}")
    session.keys("F12")
    window.wait_for(lambda lines: "FOCUS text" in lines, "the text field focused")
    in_text = typed(session, window, "de")[len(in_password):]
    check(in_text == "Grussae;", f"the neighbour field converts, got {in_text!r}")


@scenario
def zolsetup_takes_the_window_in_front_and_the_rule_counts_at_the_next_key(session):
    """On the page Programme, "Fenster wählen", then the remote window
    brought to the front: after OK the program is left alone."""
    configure(session, {})
    tray = start_system(session)
    remote = start_window(session, "remote", "mstsc.exe")
    check(typed(session, remote) == CONVERTED, "converted before")
    open_setup(session, PROGRAMS)
    session.keys("alt+w")
    session.switch_to("remote")
    wait_until(lambda: any(text.startswith("Hinzugef\xfcgt: mstsc.exe") for _, text in controls(session)),
               "the program taken")
    close_setup(session)
    check(value(session, PROGRAMS_KEY, "mstsc.exe") == "alles", "stored with everything left alone")
    session.switch_to("remote")
    unchanged = typed(session, remote)[len(CONVERTED):]
    check(unchanged == "'/.", f"left alone at the next key, got {unchanged!r}")
    end(session, tray)
