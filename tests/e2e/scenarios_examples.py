"""The bundled example configurations, imported as a user would, with the
tray program and real key presses."""
import datetime
import subprocess

from harness import REPO, check, scenario

RIGHT_ALT = "108"


def import_example(session, name):
    result = subprocess.run(["wine", "reg", "import", str(REPO / "examples" / name)],
                            env=session.env(), capture_output=True)
    check(result.returncode == 0, f"{name} imports: {result.stderr!r}")


@scenario
def german_office_greeting_date_and_decimal_comma(session):
    session.use_keymap("us")
    import_example(session, "german-office.reg")
    session.start_tray()
    window = session.start_window()
    session.xdotool("keydown", RIGHT_ALT, "key", "g", "key", "shift+d", "keyup", RIGHT_ALT)
    today = datetime.date.today().strftime("%d.%m.%Y")
    expected = f"Sehr geehrte Damen und Herren,\r\r{today}"
    window.wait_for(lambda lines: window.characters() == expected, repr(expected))


@scenario
def umlaut_tables_convert_and_switch(session):
    session.use_keymap("de")
    import_example(session, "umlaut-tables.reg")
    session.start_tray()
    window = session.start_window()
    # On the German X keymap Wine reports AltGr as a key of its own, so the
    # switch is not pressed here; the ASCII table is on from the start. Only
    # the key of a-umlaut has the virtual key Windows gives it (0xDE): Wine
    # puts o-umlaut on 0xBA, Windows' u-umlaut key.
    session.keys("adiaeresis", "shift+adiaeresis")
    window.wait_for(lambda lines: window.characters() == "aeAe", "ae Ae")
