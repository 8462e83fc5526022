"""The installer, Zolvik32-Setup.exe, run silently as an administrator
would, in the 64-bit prefix: what it installs, the configuration it brings
or keeps, an upgrade over the running system, and the uninstaller. Each
scenario starts from a prefix without an installation."""
import filecmp
import pathlib
import shutil
import subprocess

from harness import BIN, BIN32, REPO, check, scenario, wait_until
from scenarios_rules import ALTGR, SETTINGS, altgr, registry

SETUP = BIN / "Zolvik32-Setup.exe"
RUN = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
RUNONCE = r"HKCU\Software\Microsoft\Windows\CurrentVersion\RunOnce"
CLEANUP = "Zolvik32 alte Dateien"
UNINSTALL = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zolvik32"
PROGRAMS = {"Zolvik32.exe": BIN32, "Zolhook.dll": BIN32, "Zolvik64.exe": BIN, "Zolhook64.dll": BIN}
SHORTCUTS = ["Zolvik32.lnk", "Benutzerhandbuch.lnk", "Zolvik32 deinstallieren.lnk"]
# The configuration program ships when the win32 build has made it.
if (BIN32 / "Zolsetup.exe").exists():
    PROGRAMS["Zolsetup.exe"] = BIN32
    SHORTCUTS.append("Zolvik32 einrichten.lnk")
GREETING = "Sehr geehrte Damen und Herren,"



def unix_folder(session, variable, *parts):
    windows = subprocess.run(["wine", "cmd", "/c", f"echo %{variable}%"], env=session.env(),
                             capture_output=True, text=True).stdout.strip()
    unix = subprocess.run(["winepath", "-u", windows], env=session.env(), capture_output=True,
                          text=True).stdout.strip()
    return pathlib.Path(unix).joinpath(*parts)


def install_folder(session):
    return unix_folder(session, "LOCALAPPDATA", "Programs", "Zolvik32")


def start_menu(session):
    return unix_folder(session, "APPDATA", "Microsoft", "Windows", "Start Menu", "Programs", "Zolvik32")


def wine_reg(session, *args):
    return subprocess.run(["wine", "reg", *args], env=session.env(), capture_output=True)


def remove_installation(session):
    """What an installation leaves, gone: a scenario starts from nothing."""
    shutil.rmtree(install_folder(session), ignore_errors=True)
    shutil.rmtree(start_menu(session), ignore_errors=True)
    wine_reg(session, "delete", RUN, "/v", "Zolvik32", "/f")
    wine_reg(session, "delete", UNINSTALL, "/f")
    wine_reg(session, "delete", RUNONCE, "/v", CLEANUP, "/f")
    shutil.rmtree(unix_folder(session, "TEMP", "Zolvik32-alt"), ignore_errors=True)


def run_setup(session, program, *options):
    """Runs the installer or uninstaller silently; the system it starts
    keeps running, so nothing waits for its output."""
    result = subprocess.run(["wine", str(program), "/S", *options], env=session.env(),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
    check(result.returncode == 0, f"{program.name} ended with {result.returncode}")


def tray_pids():
    result = subprocess.run(["pgrep", "-f", "Zolvik32.exe"], capture_output=True, text=True)
    return set(result.stdout.split())


def check_installed(session):
    folder = install_folder(session)
    for name, build in PROGRAMS.items():
        check(filecmp.cmp(folder / name, build / name, shallow=False), f"{name} installed as built")
    check((folder / "Beispiele" / "german-office.reg").exists(), "the examples installed")
    check((folder / "Dokumentation" / "user-guide.md").exists(), "the user guide installed")
    for shortcut in SHORTCUTS:
        check((start_menu(session) / shortcut).exists(), f"the shortcut {shortcut}")
    run = session.query_registry(RUN, "Zolvik32") or ""
    check(run.rstrip().endswith('Programs\\Zolvik32\\Zolvik32.exe"'), f"the Run value: {run!r}")
    entry = wine_reg(session, "query", UNINSTALL).stdout.decode("cp1252")
    for expected in ("DisplayName    REG_SZ    Zolvik32", "DisplayVersion    REG_SZ    1.1.0",
                     "EstimatedSize    REG_DWORD", "Deinstallieren.exe\" /S"):
        check(expected in entry, f"{expected!r} in the installed-programs entry: {entry}")
    wait_until(lambda: session.control_hook() != 0, "the installed tray program")
    wait_until(lambda: session.running("Zolvik64.exe"), "its 64-bit host")


def check_uninstalled(session):
    wait_until(lambda: not install_folder(session).exists(), "the installation folder to go")
    check(not start_menu(session).exists(), "the start-menu folder removed")
    check(session.query_registry(RUN, "Zolvik32") is None, "the Run value removed")
    check(wine_reg(session, "query", UNINSTALL).returncode != 0, "the installed-programs entry removed")
    check(session.control_hook() == 0, "the tray program ended")
    wait_until(lambda: not session.running("Zolvik64.exe"), "the host to end")


def macro_types(session, text):
    window = session.start_window("probe64", 64)
    altgr(session, "g")
    window.wait_for(lambda lines: window.characters().startswith(text), repr(text))


@scenario
def fresh_install_brings_the_example_and_uninstall_keeps_the_settings(session):
    session.use_keymap("us")
    remove_installation(session)
    run_setup(session, SETUP)
    check_installed(session)
    check(session.query_registry(SETTINGS, "Zolvik eingeschaltet") is not None,
          "the example configuration imported")
    macro_types(session, GREETING)
    run_setup(session, install_folder(session) / "Deinstallieren.exe")
    check_uninstalled(session)
    check(session.query_registry(SETTINGS, "Zolvik eingeschaltet") is not None, "the settings kept")
    # The probe window still maps Zolhook64.dll: the library was moved out
    # of the way, and the next logon removes it.
    aside = unix_folder(session, "TEMP", "Zolvik32-alt")
    check(any(aside.iterdir()), "the library in use moved aside")
    cleanup = session.query_registry(RUNONCE, CLEANUP) or ""
    check("rmdir /s /q" in cleanup and "Zolvik32-alt" in cleanup, f"the cleanup at logon: {cleanup!r}")


@scenario
def existing_configuration_is_kept_and_an_upgrade_replaces_the_running_system(session):
    session.use_keymap("us")
    remove_installation(session)
    registry(session, **{ALTGR: {"00080047": "Eigenes Makro"}})
    run_setup(session, SETUP)
    check_installed(session)
    macro_types(session, "Eigenes Makro")
    before = tray_pids()
    installed = install_folder(session) / "Beispiele" / "german-office.reg"
    installed.write_text("changed since the installation")
    run_setup(session, SETUP)
    wait_until(lambda: tray_pids() and not tray_pids() & before, "a new tray program")
    check_installed(session)
    check(filecmp.cmp(installed, REPO / "examples" / "german-office.reg", shallow=False),
          "the files replaced")
    check(sorted(path.name for path in install_folder(session).iterdir()) ==
          sorted([*PROGRAMS, "Beispiele", "Dokumentation", "Deinstallieren.exe"]),
          "the libraries still in use moved out of the installation folder")
    macro = session.query_registry(ALTGR, "00080047") or ""
    check("Eigenes Makro" in macro, f"the example was not imported over the configuration: {macro!r}")
    run_setup(session, install_folder(session) / "Deinstallieren.exe")
    check_uninstalled(session)


@scenario
def uninstall_option_removes_the_settings(session):
    session.use_keymap("us")
    remove_installation(session)
    run_setup(session, SETUP, "/NOAUTOSTART")
    check(session.query_registry(RUN, "Zolvik32") is None, "no Run value when not wanted")
    wait_until(lambda: session.control_hook() != 0, "the installed tray program")
    run_setup(session, install_folder(session) / "Deinstallieren.exe", "/REMOVESETTINGS")
    wait_until(lambda: not install_folder(session).exists(), "the installation folder to go")
    check(wine_reg(session, "query", r"HKCU\Software\Quendlin\Zolvik32").returncode != 0,
          "the settings and macros removed")
