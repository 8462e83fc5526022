"""The tray program Zolvik32.exe with the real Zolhook.dll: start and end,
the second copy, the command-line option, the control window's messages,
the tray icon and the error box."""
import subprocess
import time

from harness import Log, check, scenario, wait_until

SETTINGS = r"HKEY_CURRENT_USER\Software\Quendlin\Zolvik32\Settings"
ALTGR = r"HKEY_CURRENT_USER\Software\Quendlin\Zolvik32\Macros\AltGr"
WM_CLOSE, UM_REFRESHICON, UM_SETENABLED, UM_SHUTDOWN, UM_TRAYICON = 0x10, 1125, 1126, 1128, 1223
WM_LBUTTONUP, WM_RBUTTONUP = 0x202, 0x205
RIGHT_ALT = "108"


def exit_code(process):
    try:
        return process.wait(timeout=20)
    except subprocess.TimeoutExpired:
        raise AssertionError("the tray program did not end")


def setting(session, name):
    output = session.query_registry(SETTINGS, name) or ""
    return output.split()[-1] if "REG_BINARY" in output else None


def tray_area_shown(session):
    """Wine shows its notification area as a window of its own while an
    icon is in it."""
    result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Wine System Tray$"],
                            env=session.x_env(), capture_output=True, text=True)
    return result.returncode == 0 and result.stdout.strip() != ""



def answer_error_box(session):
    """Waits for the "Anwendungsfehler" box, closes it and returns its texts."""
    answer = []
    wait_until(lambda: answer.extend(session.probe("dialog", "Anwendungsfehler")) or
               "ANSWERED" in answer, "the error box")
    return " ".join(answer)


def macro(session, text):
    session.import_registry(f'[{SETTINGS}]\n"Zolvik eingeschaltet"=hex:01\n\n[{ALTGR}]\n'
                            f'"00080045"="{text}"\n')


@scenario
def typical_keystroke_then_close(session):
    session.use_keymap("us")
    macro(session, "Mit freundlichen Gruessen")
    tray = session.start_tray()
    window = session.start_window()
    session.xdotool("keydown", RIGHT_ALT, "key", "e", "keyup", RIGHT_ALT)
    window.wait_for(lambda lines: window.characters() == "Mit freundlichen Gruessen", "the macro")
    session.keys("F11")
    modifiers = window.wait_for(lambda lines: any(l.startswith("MODIFIERS") for l in lines), "F11")
    check([l for l in modifiers if l.startswith("MODIFIERS")][-1].count("=1") == 0,
          f"no modifier left down: {modifiers[-1]}")
    check(tray_area_shown(session), "the icon is in the tray")
    session.probe("post", WM_CLOSE, 0, 0)
    check(exit_code(tray) == 0, "exit code 0")
    wait_until(lambda: not tray_area_shown(session), "the icon to leave the tray")
    session.xdotool("keydown", RIGHT_ALT, "key", "e", "keyup", RIGHT_ALT)
    window.settle()
    check(window.characters() == "Mit freundlichen Gruessen", "no macro once the hook is removed")


@scenario
def second_copy_says_so_and_ends(session):
    first = session.start_tray()
    second = session.start(session.work / "app" / "Zolvik32.exe")
    answer = []
    wait_until(lambda: answer.extend(session.probe("dialog", "Zolvik32")) or "ANSWERED" in answer,
               "the message box")
    check("TEXT Zolvik32 wurde bereits gestartet!" in answer, f"the box said {answer}")
    check(exit_code(second) == 103, "exit code 103")
    check(first.poll() is None and session.control_hook() != 0, "the first copy runs on")
    session.probe("post", WM_CLOSE, 0, 0)
    check(exit_code(first) == 0, "the first copy ends normally")


@scenario
def hide_option_stores_the_setting(session):
    tray = session.start_tray("/h")
    check(setting(session, "Zolvik-Symbol verstecken") == "01", "hidden for good")
    time.sleep(1)
    check(not tray_area_shown(session), "no icon")
    session.probe("post", WM_CLOSE, 0, 0)
    check(exit_code(tray) == 0, "exit code 0")


@scenario
def refresh_hides_and_shows_the_icon(session):
    tray = session.start_tray()
    wait_until(lambda: tray_area_shown(session), "the icon")
    session.import_registry(f'[{SETTINGS}]\n"Zolvik-Symbol verstecken"=hex:01\n')
    session.probe("send", UM_REFRESHICON, 0, 0)
    wait_until(lambda: not tray_area_shown(session), "the icon to go")
    session.import_registry(f'[{SETTINGS}]\n"Zolvik-Symbol verstecken"=hex:00\n')
    session.probe("send", UM_REFRESHICON, 0, 0)
    wait_until(lambda: tray_area_shown(session), "the icon to come back")
    session.probe("post", WM_CLOSE, 0, 0)
    check(exit_code(tray) == 0, "exit code 0")


@scenario
def set_enabled_stores_the_low_byte(session):
    tray = session.start_tray()
    session.probe("send", UM_SETENABLED, 1, 0)
    check(setting(session, "Zolvik eingeschaltet") == "01", "1 stored")
    session.probe("send", UM_SETENABLED, 256, 0)
    check(setting(session, "Zolvik eingeschaltet") == "00", "256 stores 0")
    session.probe("post", WM_CLOSE, 0, 0)
    check(exit_code(tray) == 0, "exit code 0")


@scenario
def left_click_starts_the_setup_program(session):
    log = Log(session.work / "recorder.log")
    session.extra_env["ZOLVIK_RECORDER_LOG"] = str(log.path)
    tray = session.start_tray(setup=True)
    session.probe("send", UM_TRAYICON, 0, WM_RBUTTONUP)
    session.probe("send", UM_TRAYICON, 0, WM_LBUTTONUP)
    lines = log.wait_for(lambda lines: len(lines) == 1, "Zolsetup.exe to start")
    check("zolsetup.exe" in lines[0].lower(), f"started {lines[0]}")
    session.probe("post", WM_CLOSE, 0, 0)
    check(exit_code(tray) == 0, "exit code 0")


@scenario
def left_click_without_setup_program_keeps_running(session):
    tray = session.start_tray()
    session.probe("send", UM_TRAYICON, 0, WM_LBUTTONUP)
    check(tray.poll() is None and session.control_hook() != 0, "still running")
    session.probe("post", WM_CLOSE, 0, 0)
    check(exit_code(tray) == 0, "exit code 0")


@scenario
def shutdown_request_ends_the_session(session):
    tray = session.start_tray()
    window = session.start_window()
    session.probe("post", UM_SHUTDOWN, 1, 0)
    window.wait_for(lambda lines: "QUERYENDSESSION" in lines or any(
        line.startswith("ENDSESSION") for line in lines), "the session's end", timeout=30)


@scenario
def wrongly_typed_scheme_value_ends_with_the_error_box(session):
    session.use_keymap("us")
    session.import_registry(
        f'[{SETTINGS}]\n"Piepsen bei Umschaltungen"=hex:01\n\n'
        '[HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps\\Zolvik32\\Ein\\.current]\n@=hex:01\n')
    tray = session.start_tray()
    session.start_window()
    session.keys("Caps_Lock")
    text = answer_error_box(session)
    check("Exception ERegistryException in Modul Zolhook.dll bei" in text, f"the box said {text}")
    check("Ung\xfcltiger Datentyp f\xfcr ''." in text, f"the box said {text}")
    check(exit_code(tray) == 1, "exit code 1")
    check(session.control_hook() == 0, "the control window is gone")
    session.keys("Caps_Lock")


def error_box_shown(session):
    result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Anwendungsfehler$"],
                            env=session.x_env(), capture_output=True, text=True)
    return result.returncode == 0 and result.stdout.strip() != ""


def icon_setting_error(session, delivery):
    """A UM_REFRESHICON, sent or posted, reads a wrongly typed icon
    setting; returns the tray program once its error box is up."""
    session.use_keymap("us")
    tray = session.start_tray()
    session.import_registry(f'[{SETTINGS}]\n"Zolvik-Symbol verstecken"=dword:00000001\n')
    session.probe(delivery, UM_REFRESHICON, 0, 0)
    wait_until(lambda: error_box_shown(session), "the error box")
    return tray


def icon_setting_error_box_closed(session, tray):
    text = answer_error_box(session)
    check("Exception ERegistryException in Modul Zolvik32.exe bei" in text, f"the box said {text}")
    check("Ung\xfcltiger Datentyp f\xfcr 'Zolvik-Symbol verstecken'." in text, f"the box said {text}")
    check(exit_code(tray) == 1, "exit code 1")


@scenario
def error_in_a_sent_message_ends_with_the_error_box(session):
    # Windows handles a sent message inside GetMessageA, and no posted
    # message follows: the error ends the program all the same. While the
    # box is up its own message loop serves the control window, whose icon
    # and hook are gone by then: what arrives is not served.
    tray = icon_setting_error(session, "send")
    session.probe("post", UM_REFRESHICON, 0, 0)
    session.probe("send", UM_REFRESHICON, 0, 0)
    check(session.control_hook() == 0, "no hook handle is given while the box is up")
    check(tray.poll() is None and not tray_area_shown(session), "the box is up, the icon gone")
    icon_setting_error_box_closed(session, tray)


@scenario
def caps_lock_sounds_are_played_by_the_tray_program(session):
    from scenarios_sound import CAPS_LOCK, NAMES, ON, heard, scheme_sound, settings
    session.use_keymap("us")
    capture = session.capture_sound()
    registry = settings(("Piepsen bei Umschaltungen", "hex:01"))
    registry += "".join(scheme_sound(session, event) for event in range(1, len(NAMES)))
    session.import_registry(registry)
    tray = session.start_tray()
    session.start_window()
    session.keys("Caps_Lock")
    wait_until(lambda: len(heard(capture)) >= 2, "two sounds", timeout=30)
    sounds = heard(capture)
    check([event for event, _, _ in sounds] == [CAPS_LOCK, ON], f"heard {sounds}")
    session.keys("Caps_Lock")
    session.probe("post", WM_CLOSE, 0, 0)
    check(exit_code(tray) == 0, "exit code 0")


@scenario
def error_box_of_a_posted_message_stays_until_closed(session):
    # The box must not take the program's own quit request, still queued
    # after the posted message, for the user's answer.
    tray = icon_setting_error(session, "post")
    time.sleep(2)
    check(tray.poll() is None and error_box_shown(session), "the box stays up")
    icon_setting_error_box_closed(session, tray)


@scenario
def icon_comes_back_when_the_taskbar_is_made_anew(session):
    # A restarting shell loses every icon and then announces its new
    # taskbar to every top-level window; a hidden icon stays hidden.
    tray = session.start_tray()
    wait_until(lambda: tray_area_shown(session), "the icon")
    check(session.probe("untray") == ["RESULT 1"], "the icon taken out of the tray")
    wait_until(lambda: not tray_area_shown(session), "the icon to go")
    session.probe("broadcast", "TaskbarCreated")
    wait_until(lambda: tray_area_shown(session), "the icon to come back")
    session.import_registry(f'[{SETTINGS}]\n"Zolvik-Symbol verstecken"=hex:01\n')
    session.probe("send", UM_REFRESHICON, 0, 0)
    wait_until(lambda: not tray_area_shown(session), "the icon to be hidden")
    session.probe("broadcast", "TaskbarCreated")
    time.sleep(1)
    check(not tray_area_shown(session), "a hidden icon stays hidden")
    session.probe("post", WM_CLOSE, 0, 0)
    check(exit_code(tray) == 0, "exit code 0")


@scenario
def works_from_a_folder_whose_name_the_code_page_lacks(session):
    # "\u0141" has no byte in code page 1252, Wine's ANSI code page here: an
    # ANSI path names another folder. Wine reads Unix file names in the
    # Unix locale's character set, so this scenario's is UTF-8.
    session.use_keymap("us")
    session.lang = "C.UTF-8"
    log = Log(session.work / "recorder.log")
    session.extra_env["ZOLVIK_RECORDER_LOG"] = str(log.path)
    macro(session, "Mit freundlichen Gruessen")
    tray = session.start_tray(setup=True, folder_name="Zolvik32 \u0141ukasz")
    window = session.start_window()
    session.xdotool("keydown", RIGHT_ALT, "key", "e", "keyup", RIGHT_ALT)
    window.wait_for(lambda lines: window.characters() == "Mit freundlichen Gruessen", "the macro")
    session.probe("send", UM_TRAYICON, 0, WM_LBUTTONUP)
    lines = log.wait_for(lambda lines: len(lines) == 1, "Zolsetup.exe to start")
    check("zolsetup.exe" in lines[0].lower(), f"started {lines[0]}")
    session.probe("post", WM_CLOSE, 0, 0)
    check(exit_code(tray) == 0, "exit code 0")
