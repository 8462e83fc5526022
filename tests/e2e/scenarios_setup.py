"""The configuration program Zolsetup.exe, started as a user starts it: a
left click on the tray icon of the running Zolvik32.exe. It is driven by
real key presses (mnemonics, Ctrl+Tab to turn pages, AltGr in the capture
field); its message boxes are answered and its OK button pressed through
the probe; what it wrote is then used by the running system in the probe
window."""
import pathlib
import re
import shutil
import subprocess
import time

from harness import BIN, BIN32, check, scenario

SETTINGS = r"HKEY_CURRENT_USER\Software\Quendlin\Zolvik32\Settings"
ALTGR = r"HKEY_CURRENT_USER\Software\Quendlin\Zolvik32\Macros\AltGr"
ASCII = r"HKEY_CURRENT_USER\Software\Quendlin\Zolvik32\Macros\Umlaut\Ascii"
RUN = r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run"
TITLE = "^Zolvik32 Konfiguration$"
WINDOW_TITLE = "Zolvik32 Konfiguration"
RIGHT_ALT = "108"  # AltGr on the US X keymap: VK_MENU with the extended bit
LEFT_ALT = "64"
WM_CLOSE = 0x10
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7
MACROS, PROGRAMS, FILES = 1, 4, 5  # the pages, in tab order


def wait_until(condition, what, timeout=20):
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        check(time.monotonic() < deadline, f"timed out waiting for {what}")
        time.sleep(0.2)


def windows(session, title):
    result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title],
                            env=session.x_env(), capture_output=True, text=True)
    return result.stdout.split()


def start_system(session, registry="", keymap="us", folder_name="app", lang=None):
    """Zolvik32.exe with the real Zolsetup.exe beside it; the master switch
    on and whatever else the scenario brings."""
    session.use_keymap(keymap)
    if lang:
        session.lang = lang
    session.import_registry(f'[{SETTINGS}]\n"Zolvik eingeschaltet"=hex:01\n' + registry)
    folder = session.work / folder_name
    folder.mkdir(exist_ok=True)
    shutil.copy(BIN32 / "Zolsetup.exe", folder / "Zolsetup.exe")
    return session.start_tray(folder_name=folder_name)


def click_tray_icon(session):
    tray = wait_until(lambda: windows(session, "^Wine System Tray$"), "the tray icon")[0]
    session.xdotool("windowraise", tray)     # the probe window may lie over it
    session.xdotool("mousemove", "--window", tray, "10", "10", "click", "1")


def open_setup(session, page=0):
    click_tray_icon(session)
    window = wait_until(lambda: windows(session, TITLE), "Zolsetup's window")[0]
    session.xdotool("windowfocus", "--sync", window)
    time.sleep(0.5)
    for _ in range(page):
        session.keys("ctrl+Tab")
    return window


def foreground(session):
    """The title of Windows' foreground window. Without a window manager the
    X input focus stays where it was, so xdotool cannot tell."""
    result = subprocess.run(["wine", str(BIN / "tests" / "snapshot.exe"), "foreground"],
                            env=session.env(), capture_output=True, text=True)
    return result.stdout.strip()


def press(session, button):
    """A button of Zolsetup's window, by its command id."""
    check(session.probe("command", WINDOW_TITLE, button) == ["POSTED"], "Zolsetup's window is there")


def answer(session, button, what, showing=None):
    """Waits for Zolsetup's message box (the one showing that text, when
    given), answers it with the button and returns its texts."""
    deadline = time.monotonic() + 20
    while True:
        lines = session.probe("dialog", WINDOW_TITLE, button, *([showing] if showing else []))
        if lines and lines[-1] == "ANSWERED":
            return "\n".join(line.removeprefix("TEXT ") for line in lines[:-1])
        check(time.monotonic() < deadline, f"timed out waiting for the message box: {what}")
        time.sleep(0.3)


def no_message_box(session):
    return session.probe("dialog", WINDOW_TITLE, IDCANCEL) == ["NODIALOG"]


def close_setup(session, button=IDOK):
    press(session, button)
    wait_until(lambda: not windows(session, TITLE), "the window to close")


def controls(session):
    """The visible controls of Zolsetup's window: (class, text) pairs."""
    found = []
    for line in session.probe("controls", WINDOW_TITLE):
        parts = line.split(" ", 5)
        if parts[0] == "CONTROL" and parts[3] == "1":
            found.append((parts[4], parts[5] if len(parts) > 5 else ""))
    return found


def field_text(session, label):
    """The text of the control made right after the label with that text."""
    shown = controls(session)
    for index, (_, text) in enumerate(shown):
        if text == label:
            return shown[index + 1][1]
    raise AssertionError(f"no label {label!r}")


def registry_dump(session):
    dump = []
    for key in (r"HKCU\Software\Quendlin", r"HKCU\AppEvents\Schemes\Apps\Zolvik32",
                r"HKCU\AppEvents\EventLabels", RUN):
        result = subprocess.run(["wine", "reg", "query", key, "/s"], env=session.env(),
                                capture_output=True)
        dump.append(result.stdout.decode("cp1252", "replace"))
    return dump


def value(session, key, name):
    output = session.query_registry(key, name) or ""
    line = next((l.strip() for l in output.splitlines() if l.strip().startswith(name + " ")), "")
    return line[len(name):].split(None, 1)[1].strip() if line else None


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def choose_file(session, title, path):
    """Types the path into the file dialog of that title and takes it."""
    dialog = wait_until(lambda: windows(session, f"^{title}$"), f"the file dialog {title}")[0]
    session.xdotool("windowfocus", "--sync", dialog)
    time.sleep(0.5)
    session.type(windows_path(path))
    session.keys("Return")


def record_altgr(session, key):
    session.xdotool("keydown", RIGHT_ALT, "key", key, "keyup", RIGHT_ALT)


def write_macro_with_setup(session, key, text):
    """Binds AltGr+key (an X key name, "q") to the text, which may hold any
    character, through Zolsetup's macro page, and saves it with OK. The
    running system must be started (start_system); Zolsetup is closed
    again."""
    open_setup(session, MACROS)
    session.keys("alt+n")                       # Neu: the capture field
    record_altgr(session, key)
    session.keys("Tab")                         # the text field
    session.type(text)
    session.keys("ctrl+Return")
    time.sleep(0.5)
    check(no_message_box(session), "entered without a question")
    close_setup(session)


def exported_configuration(session):
    """The configuration as Wine's registry editor exports it: a version
    5.00 file, which holds every character."""
    path = session.work / "wine-export.reg"
    path.unlink(missing_ok=True)
    subprocess.run(["wine", "reg", "export", r"HKCU\Software\Quendlin", str(path), "/y"],
                   env=session.env(), capture_output=True, check=True)
    return path.read_bytes()


def export_with_setup(session, path):
    """Exports the configuration to the file through Zolsetup's page
    "Importieren / Exportieren"."""
    open_setup(session, FILES)
    session.keys("alt+e")
    choose_file(session, "Exportieren", path)
    wait_until(lambda: path.exists() and path.stat().st_size > 0, "the exported file")
    close_setup(session, IDCANCEL)


def start_import_with_setup(session, path):
    """Opens Zolsetup's page "Importieren / Exportieren" and chooses the
    file to import; Zolsetup then shows the changes or the refusal."""
    open_setup(session, FILES)
    session.keys("alt+i")
    choose_file(session, "Importieren", path)


def end(session, tray):
    session.probe("post", WM_CLOSE, 0, 0)
    tray.wait(timeout=20)


@scenario
def new_altgr_macro_is_typed_as_entered(session):
    """A new binding: AltGr+Q recorded, a text with a dollar sign and a line
    break typed into the text field, Ctrl+Enter enters it, OK saves; the
    running system then types exactly that text."""
    tray = start_system(session)
    open_setup(session, MACROS)
    session.keys("alt+n")                       # Neu: the capture field
    record_altgr(session, "q")
    session.keys("Tab")                         # the text field
    session.type("5$ netto")
    session.keys("Return")
    session.type("zweite Zeile")
    session.keys("ctrl+Return")                 # enters the binding
    time.sleep(0.5)
    check(no_message_box(session), "entered without a question")
    close_setup(session)
    check(value(session, ALTGR, "00080051") == "5$$ netto$0Dzweite Zeile",
          f"stored with its escapes: {value(session, ALTGR, '00080051')!r}")
    probe = session.start_window()
    record_altgr(session, "q")
    probe.wait_for(lambda lines: probe.characters() == "5$ netto\rzweite Zeile", "the text as entered")
    end(session, tray)


@scenario
def leaving_with_changes_asks_first(session):
    """Escape with a change asks "Änderungen speichern?": Abbrechen stays,
    Nein leaves and writes nothing."""
    tray = start_system(session)
    before = registry_dump(session)
    window = open_setup(session)
    session.keys("alt+b")                       # EasyBackslash
    session.keys("Escape")
    text = answer(session, IDCANCEL, "the question on leaving")
    check("nderungen speichern?" in text, f"the question: {text!r}")
    wait_until(lambda: windows(session, TITLE) == [window], "the box to go and the window to stay")
    session.keys("Escape")
    answer(session, IDNO, "the question again")
    wait_until(lambda: not windows(session, TITLE), "the window to close")
    check(registry_dump(session) == before, "nothing written")
    end(session, tray)


@scenario
def import_of_foreign_keys_is_refused_with_its_line(session):
    """A file that also writes HKEY_CURRENT_USER\\Environment is refused,
    naming that line, and nothing of it is written."""
    tray = start_system(session)
    path = session.work / "zolvik-makros.reg"
    path.write_bytes(("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32\\Settings]\r\n"
                      "\"EasyTab\"=hex:01\r\n\r\n[HKEY_CURRENT_USER\\Environment]\r\n"
                      "\"Path\"=\"C:\\\\boese\"\r\n").encode("cp1252"))
    before = registry_dump(session)
    start_import_with_setup(session, path)
    text = answer(session, IDOK, "the refusal")
    check("Zeile 6" in text and "[HKEY_CURRENT_USER\\Environment]" in text, f"the line named: {text!r}")
    check(registry_dump(session) == before, "nothing written")
    check(session.query_registry(r"HKCU\Environment", "Path") is None, "Environment untouched")
    close_setup(session, IDCANCEL)
    end(session, tray)


@scenario
def failed_import_leaves_the_configuration_as_it_was(session):
    """The import is shown and accepted; a key name longer than Windows
    allows makes a write fail half-way; the configuration is put back."""
    tray = start_system(session, f'[{ALTGR}]\n"00080045"="alt"\n[{RUN}]\n"Zolvik32"="C:\\\\alt.exe"\n')
    path = session.work / "kaputt.reg"
    path.write_bytes(("REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32]\r\n"
                      "[HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32\\Settings]\r\n\"EasyTab\"=hex:01\r\n"
                      "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
                      "\"Zolvik32\"=-\r\n"
                      "[HKEY_CURRENT_USER\\Software\\Quendlin\\Zolvik32\\" + "x" * 300 + "]\r\n"
                      ).encode("cp1252"))
    before = registry_dump(session)
    start_import_with_setup(session, path)
    changes = answer(session, IDYES, "the changes")
    check("Gel\xf6scht: Software\\Quendlin\\Zolvik32\\Macros\\AltGr \"00080045\"" in changes,
          f"the changes shown: {changes!r}")
    failure = answer(session, IDOK, "the failure", showing="Zeile 8")
    check("Zeile 8" in failure and "wieder, wie sie war" in failure, f"the failure: {failure!r}")
    check(registry_dump(session) == before, "the configuration as it was")
    close_setup(session, IDCANCEL)
    end(session, tray)


@scenario
def full_backup_restores_the_registry_exactly(session):
    """Exported as a full backup, everything deleted, imported again: the
    registry is as it was, the Run value included."""
    tray = start_system(session, f'[{RUN}]\n"Zolvik32"="\\"C:\\\\Zolvik32\\\\Zolvik32.exe\\""\n')
    for example in ("german-office.reg", "umlaut-tables.reg"):
        subprocess.run(["wine", "reg", "import", str(BIN.parents[1] / "examples" / example)],
                       env=session.env(), capture_output=True, check=True)
    before = registry_dump(session)
    path = session.work / "sicherung.reg"
    export_with_setup(session, path)
    for key in (r"HKCU\Software\Quendlin", r"HKCU\AppEvents\Schemes\Apps\Zolvik32"):
        subprocess.run(["wine", "reg", "delete", key, "/f"], env=session.env(), capture_output=True)
    subprocess.run(["wine", "reg", "delete", RUN, "/v", "Zolvik32", "/f"], env=session.env(),
                   capture_output=True)
    check(registry_dump(session) != before, "deleted")
    start_import_with_setup(session, path)
    answer(session, IDYES, "the changes")
    wait_until(lambda: registry_dump(session) == before, "the registry as it was")
    close_setup(session, IDCANCEL)
    end(session, tray)


@scenario
def macro_with_any_character_round_trips_through_export_and_import(session):
    """A macro "Dvo\u0159\u00e1k \u2192" entered in the text field is stored
    whole; Zolsetup exports a version 5.00 file, the macro is deleted, the
    file imported: the registry is as it was."""
    tray = start_system(session)
    text = "Dvo\u0159\u00e1k \u2192"
    write_macro_with_setup(session, "k", text)
    before = exported_configuration(session)
    check(f'"0008004B"="{text}"'.encode("utf-16-le") in before,
          f"stored whole: {before.decode('utf-16', 'replace')!r}")
    path = session.work / "makros.reg"
    export_with_setup(session, path)
    exported = path.read_bytes()
    check(exported.startswith("\ufeffWindows Registry Editor Version 5.00\r\n".encode("utf-16-le")),
          f"a version 5.00 file: {exported[:80]!r}")
    check(f'"0008004B"="{text}"'.encode("utf-16-le") in exported, "the text quoted as it is")
    subprocess.run(["wine", "reg", "delete", ALTGR, "/v", "0008004B", "/f"], env=session.env(),
                   capture_output=True, check=True)
    check(exported_configuration(session) != before, "deleted")
    start_import_with_setup(session, path)
    answer(session, IDYES, "the changes")
    wait_until(lambda: exported_configuration(session) == before, "the registry as it was")
    close_setup(session, IDCANCEL)
    end(session, tray)


@scenario
def alt_and_plain_letters_are_refused(session):
    """Alt+E is recorded as pressed and refused, since the value names
    cannot hold Alt; a plain E is refused, since it types; nothing is
    bound."""
    tray = start_system(session)
    open_setup(session, MACROS)
    session.keys("alt+n")
    session.xdotool("keydown", LEFT_ALT, "key", "e", "keyup", LEFT_ALT)
    time.sleep(0.5)
    check(field_text(session, "Tasten&kombination:") == "Alt+E", f"recorded as pressed: {controls(session)}")
    check(any("Alt+E geht nicht" in text for _, text in controls(session)), "the reason shown")
    session.keys("Tab")
    session.type("nie")
    session.keys("ctrl+Return")
    session.keys("shift+Tab", "e")              # back to the capture field: a plain E
    time.sleep(0.5)
    check(any("E tippt \"e\"" in text for _, text in controls(session)), "a typing key refused")
    session.keys("Tab", "ctrl+Return")
    time.sleep(0.5)
    press(session, IDCANCEL)
    answer(session, IDNO, "the question on leaving")
    wait_until(lambda: not windows(session, TITLE), "the window to close")
    check(value(session, ALTGR, "00000045") is None, "no binding for E")
    end(session, tray)


@scenario
def running_system_steps_aside_in_its_fields(session):
    """Umlaut conversion on: an ä typed into Zolsetup's search field stays
    ä; in the test field the running system acts and makes it ae."""
    tray = start_system(session, f'"Umlautwandlung"=hex:01\n"UmlautMode"=hex:00\n[{ASCII}]\n"000000DE"="ae"\n',
                        keymap="de")
    open_setup(session, MACROS)
    session.keys("alt+u")                       # Suchen
    session.keys("adiaeresis")
    time.sleep(0.5)
    check(field_text(session, "S&uchen:") == "\xe4", f"unconverted: {controls(session)!r}")
    session.keys("alt+t")                       # Testen
    session.keys("adiaeresis")
    time.sleep(0.5)
    check(field_text(session, "&Testen:") == "ae", f"converted: {field_text(session, '&Testen:')!r}")
    close_setup(session, IDCANCEL)
    end(session, tray)


@scenario
def start_with_windows_names_the_program_in_a_folder_the_code_page_lacks(session):
    """The ANSI path of "Zolvik32 \u0141ukasz" names another folder, with an
    "L": the logon command Zolsetup writes names the folder by its short
    name. Wine reads Unix file names in the Unix locale's character set,
    UTF-8 here."""
    tray = start_system(session, f'[{RUN}]\n"Zolvik32"=-\n', folder_name="Zolvik32 \u0141ukasz", lang="C.UTF-8")
    open_setup(session)
    session.keys("alt+w")                       # Mit Windows starten
    close_setup(session)
    command = value(session, RUN, "Zolvik32") or ""
    program = subprocess.run(["winepath", "-u", command.strip('"')], env=session.env(),
                             capture_output=True, text=True).stdout.strip()
    check(command.startswith('"') and pathlib.Path(program).is_file(), f"the logon command {command!r}")
    end(session, tray)


@scenario
def claimed_combination_is_recorded_not_run(session):
    """While Zolsetup has the focus the running system acts on no key: the
    bound AltGr+E is recorded (its binding selected) instead of typed, and
    AltGr+F1 leaves the master switch alone and is refused."""
    tray = start_system(session, f'\n[{ALTGR}]\n"00080045"="Makrotext"\n')
    open_setup(session, MACROS)
    session.keys("alt+n")
    record_altgr(session, "e")
    session.keys("Tab")
    session.type("Neu")
    session.keys("ctrl+Return")                 # replaces the bound text
    session.keys("alt+n")                       # a new binding
    record_altgr(session, "F1")
    time.sleep(0.5)
    check(value(session, SETTINGS, "Zolvik eingeschaltet") == "01", "the master switch untouched")
    session.keys("Tab")
    session.type("F1-Text")
    session.keys("ctrl+Return")                 # refused: AltGr+F1 belongs to the system
    time.sleep(0.5)
    check(no_message_box(session), "refused in the window, not asked")
    session.keys("alt+n")                       # leaves the refused binding
    answer(session, IDNO, "whether to enter the changes")
    close_setup(session)
    check(value(session, SETTINGS, "Zolvik eingeschaltet") == "01", "the master switch still on")
    check(value(session, ALTGR, "00080070") is None, "no binding for AltGr+F1")
    check(value(session, ALTGR, "00080045") == "Neu", "AltGr+E recorded, not typed into the field")
    end(session, tray)


@scenario
def tray_click_opens_it_and_ok_configures_the_running_system(session):
    """EasyBackslash switched on, and AltGr+Q recorded while the running
    system has a macro on AltGr+Q: the binding is selected, the text typed
    replaces its text when entered, and after OK the system uses both."""
    tray = start_system(session, f'\n[{ALTGR}]\n"00080051"="Alter Text"\n')
    open_setup(session)
    session.keys("alt+b")                       # EasyBackslash
    session.keys("ctrl+Tab", "alt+n", "Tab")
    session.type("Neuer Text")                  # typed first, then the keys
    session.keys("shift+Tab")
    record_altgr(session, "q")
    time.sleep(0.5)
    check(any("ist schon belegt" in text for _, text in controls(session)), "the binding is selected")
    session.keys("Tab")
    session.keys("ctrl+Return")
    time.sleep(0.5)
    close_setup(session)
    check(value(session, SETTINGS, "EasyBackslash") == "01", "EasyBackslash stored as a flag")
    check(value(session, ALTGR, "00080051") == "Neuer Text", "the AltGr+Q binding changed")
    probe = session.start_window()
    session.keys("slash")                       # virtual key 191, "#" on a German keyboard
    record_altgr(session, "q")
    probe.wait_for(lambda lines: probe.characters() == "\\Neuer Text", "a backslash, then the new text")
    end(session, tray)


@scenario
def every_page_has_its_own_mnemonics(session):
    """On every page, with the window's buttons, no two controls share the
    letter of their mnemonic."""
    tray = start_system(session)
    open_setup(session)
    for page in range(6):
        letters = [m.group(1).lower() for _, text in controls(session)
                   for m in [re.search(r"&([^&])", text)] if m]
        check(len(letters) == len(set(letters)), f"page {page}: {sorted(letters)}")
        session.keys("ctrl+Tab")
    close_setup(session, IDCANCEL)
    end(session, tray)


@scenario
def second_click_brings_the_open_window_to_the_front(session):
    tray = start_system(session)
    first = open_setup(session)
    session.start_window()                      # the probe takes the focus
    check(foreground(session) == "probe", "the probe is in front")
    click_tray_icon(session)
    wait_until(lambda: foreground(session) == "Zolvik32 Konfiguration", "the window to come to the front")
    time.sleep(2)
    check(windows(session, TITLE) == [first], f"one window only: {windows(session, TITLE)}")
    end(session, tray)


@scenario
def hiding_the_icon_takes_effect_at_once(session):
    tray = start_system(session)
    open_setup(session)
    session.keys("alt+v")                       # Zolvik-Symbol verstecken
    close_setup(session)
    check(value(session, SETTINGS, "Zolvik-Symbol verstecken") == "01", "the flag stored")
    wait_until(lambda: not windows(session, "^Wine System Tray$"), "the icon to leave the tray")
    check(tray.poll() is None, "the tray program runs on")
    end(session, tray)


@scenario
def cancel_writes_nothing(session):
    tray = start_system(session, f'\n[{ALTGR}]\n"00080045"="alt"\n')
    before = registry_dump(session)
    open_setup(session)
    session.keys("alt+b", "alt+v", "alt+w")     # EasyBackslash, no icon, start with Windows
    session.keys("ctrl+Tab", "alt+n")
    record_altgr(session, "z")
    session.keys("Tab")
    session.type("nie")
    session.keys("ctrl+Return")
    time.sleep(0.5)
    press(session, IDCANCEL)
    answer(session, IDNO, "the question on leaving")
    wait_until(lambda: not windows(session, TITLE), "the window to close")
    check(registry_dump(session) == before, "the registry is as it was")
    end(session, tray)
