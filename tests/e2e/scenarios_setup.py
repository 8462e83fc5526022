"""The configuration program Zolsetup.exe, started as a user starts it: a
left click on the tray icon of the running Zolvik32.exe. It is driven by
real key presses (mnemonics, AltGr in the capture field) and clicks where a
button has no mnemonic; what it wrote is then used by the running system
in the probe window."""
import shutil
import subprocess
import time

from harness import BIN, check, scenario

SETTINGS = r"HKEY_CURRENT_USER\Software\Quendlin\Zolvik32\Settings"
ALTGR = r"HKEY_CURRENT_USER\Software\Quendlin\Zolvik32\Macros\AltGr"
TITLE = "^Zolvik32 Konfiguration$"
RIGHT_ALT = "108"  # AltGr on the US X keymap: VK_MENU with the extended bit
WM_CLOSE = 0x10
# Places in the window's client area, in pixels: the tabs and the buttons
# without a mnemonic.
MACROS_TAB = (115, 12)
OK_BUTTON = (277, 352)
CANCEL_BUTTON = (350, 352)


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


def start_system(session, registry=""):
    """Zolvik32.exe with the real Zolsetup.exe beside it; the master switch
    on and whatever else the scenario brings."""
    session.use_keymap("us")
    session.import_registry(f'[{SETTINGS}]\n"Zolvik eingeschaltet"=hex:01\n' + registry)
    folder = session.work / "app"
    folder.mkdir(exist_ok=True)
    shutil.copy(BIN / "Zolsetup.exe", folder / "Zolsetup.exe")
    return session.start_tray()


def click_tray_icon(session):
    tray = wait_until(lambda: windows(session, "^Wine System Tray$"), "the tray icon")[0]
    session.xdotool("windowraise", tray)     # the probe window may lie over it
    session.xdotool("mousemove", "--window", tray, "10", "10", "click", "1")


def open_setup(session):
    click_tray_icon(session)
    window = wait_until(lambda: windows(session, TITLE), "Zolsetup's window")[0]
    session.xdotool("windowfocus", "--sync", window)
    time.sleep(0.5)
    return window


def foreground(session):
    """The title of Windows' foreground window. Without a window manager the
    X input focus stays where it was, so xdotool cannot tell."""
    result = subprocess.run(["wine", str(BIN / "tests" / "snapshot.exe"), "foreground"],
                            env=session.env(), capture_output=True, text=True)
    return result.stdout.strip()


def click(session, window, place):
    session.xdotool("mousemove", "--window", window, str(place[0]), str(place[1]), "click", "1")


def registry_dump(session):
    dump = []
    for key in (r"HKCU\Software\Quendlin", r"HKCU\AppEvents\Schemes\Apps\Zolvik32",
                r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"):
        result = subprocess.run(["wine", "reg", "query", key, "/s"], env=session.env(),
                                capture_output=True)
        dump.append(result.stdout.decode("cp1252", "replace"))
    return dump


def value(session, key, name):
    output = session.query_registry(key, name) or ""
    line = next((l.strip() for l in output.splitlines() if l.strip().startswith(name + " ")), "")
    return line[len(name):].split(None, 1)[1].strip() if line else None


@scenario
def tray_click_opens_it_and_ok_configures_the_running_system(session):
    """EasyBackslash switched on, and AltGr+Q recorded in the capture field
    while the running system has a macro on AltGr+Q: the binding gets the
    new text, and after OK the system uses both."""
    tray = start_system(session, f'\n[{ALTGR}]\n"00080051"="Alter Text"\n')
    window = open_setup(session)
    session.keys("alt+b")                       # EasyBackslash
    click(session, window, MACROS_TAB)
    session.keys("alt+k")                       # the capture field
    session.xdotool("keydown", RIGHT_ALT, "key", "q", "keyup", RIGHT_ALT)
    session.keys("Tab", "ctrl+a")               # the bound text, to be replaced
    session.type("Neuer Text")
    session.keys("alt+t")                       # Eintragen
    time.sleep(0.5)
    click(session, window, OK_BUTTON)
    wait_until(lambda: not windows(session, TITLE), "the window to close")

    check(value(session, SETTINGS, "EasyBackslash") == "01", "EasyBackslash stored as a flag")
    check(value(session, ALTGR, "00080051") == "Neuer Text", "the AltGr+Q binding changed")
    probe = session.start_window()
    session.keys("slash")                       # virtual key 191, "#" on a German keyboard
    session.xdotool("keydown", RIGHT_ALT, "key", "q", "keyup", RIGHT_ALT)
    probe.wait_for(lambda lines: probe.characters() == "\\Neuer Text", "a backslash, then the new text")
    session.probe("post", WM_CLOSE, 0, 0)
    tray.wait(timeout=20)


@scenario
def claimed_combination_is_recorded_not_run(session):
    """While the capture field has the focus the running system acts on no
    key: the bound AltGr+E is recorded (its binding selected) instead of
    typed, and AltGr+F1 leaves the master switch alone and is refused."""
    tray = start_system(session, f'\n[{ALTGR}]\n"00080045"="Makrotext"\n')
    window = open_setup(session)
    click(session, window, MACROS_TAB)
    session.keys("alt+k")
    session.xdotool("keydown", RIGHT_ALT, "key", "e", "keyup", RIGHT_ALT)
    session.keys("Tab", "ctrl+a")
    session.type("Neu")
    session.keys("alt+t")
    session.keys("alt+n", "alt+k")              # a new binding
    session.xdotool("keydown", RIGHT_ALT, "key", "F1", "keyup", RIGHT_ALT)
    time.sleep(0.5)
    check(value(session, SETTINGS, "Zolvik eingeschaltet") == "01", "the master switch untouched")
    session.keys("Tab")
    session.type("F1-Text")
    session.keys("alt+t")                       # refused: AltGr+F1 belongs to the system
    time.sleep(0.5)
    click(session, window, OK_BUTTON)
    wait_until(lambda: not windows(session, TITLE), "the window to close")
    check(value(session, ALTGR, "00080045") == "Neu", "AltGr+E recorded, not typed into the field")
    check(value(session, ALTGR, "00080070") is None, "no binding for AltGr+F1")
    check(value(session, SETTINGS, "Zolvik eingeschaltet") == "01", "the master switch still on")
    session.probe("post", WM_CLOSE, 0, 0)
    tray.wait(timeout=20)


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
    session.probe("post", WM_CLOSE, 0, 0)
    tray.wait(timeout=20)


@scenario
def hiding_the_icon_takes_effect_at_once(session):
    tray = start_system(session)
    window = open_setup(session)
    session.keys("alt+v")                       # Zolvik-Symbol verstecken
    click(session, window, OK_BUTTON)
    wait_until(lambda: not windows(session, TITLE), "the window to close")
    check(value(session, SETTINGS, "Zolvik-Symbol verstecken") == "01", "the flag stored")
    wait_until(lambda: not windows(session, "^Wine System Tray$"), "the icon to leave the tray")
    check(tray.poll() is None, "the tray program runs on")
    session.probe("post", WM_CLOSE, 0, 0)
    tray.wait(timeout=20)


@scenario
def cancel_writes_nothing(session):
    tray = start_system(session, f'\n[{ALTGR}]\n"00080045"="alt"\n')
    before = registry_dump(session)
    window = open_setup(session)
    session.keys("alt+b", "alt+v", "alt+w")     # EasyBackslash, no icon, start with Windows
    click(session, window, MACROS_TAB)
    session.keys("alt+k")
    session.xdotool("keydown", RIGHT_ALT, "key", "z", "keyup", RIGHT_ALT)
    session.keys("Tab")
    session.type("nie")
    session.keys("alt+t")
    time.sleep(0.5)
    click(session, window, CANCEL_BUTTON)
    wait_until(lambda: not windows(session, TITLE), "the window to close")
    check(registry_dump(session) == before, "the registry is as it was")
    session.probe("post", WM_CLOSE, 0, 0)
    tray.wait(timeout=20)
