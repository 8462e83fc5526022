"""The installer, Zolvik32-Setup.exe, run silently as an administrator
would, in the 64-bit prefix: what it installs, the configuration it brings
or keeps, an upgrade over the running system, an upgrade from version 1.1.0
and its 64-bit companion, libraries still in use, the next logon, and the
uninstaller; and the accounts it refuses. Each scenario starts from a
prefix without an installation."""
import filecmp
import os
import pathlib
import shlex
import shutil
import subprocess

from harness import BIN, BIN32, PREFIX, REPO, Log, check, scenario, wait_until
from scenarios_rules import ALTGR, SETTINGS, altgr, registry

SETUP = BIN / "Zolvik32-Setup.exe"
RUN = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
RUNONCE = r"HKCU\Software\Microsoft\Windows\CurrentVersion\RunOnce"
ENVIRONMENT = r"HKCU\Environment"
CLEANUP = "Zolvik32 alte Dateien"
REPLACE = "Zolvik32 neue Dateien"
# Wine hands a Windows exit code to Unix, which keeps its low 8 bits: 3010
# arrives as 194.
RESTART_NEEDED = 3010 & 0xFF
REFUSED = 2
UNINSTALL = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zolvik32"
PROGRAMS = ["Zolvik32.exe", "Zolhook.dll"]
SHORTCUTS = ["Zolvik32.lnk", "Benutzerhandbuch.lnk", "Zolvik32 deinstallieren.lnk"]
# The configuration program ships when the win32 build has made it.
if (BIN32 / "Zolsetup.exe").exists():
    PROGRAMS.append("Zolsetup.exe")
    SHORTCUTS.append("Zolvik32 einrichten.lnk")
GREETING = "Sehr geehrte Damen und Herren,"
# Version 1.1.0 served 64-bit programs with a companion of its own: the host
# Zolvik64.exe and its hook library Zolhook64.dll, which it replaced at the
# next logon under this RunOnce value while the old one was in use.
COMPANION = ["Zolvik64.exe", "Zolhook64.dll"]
COMPANION_VALUE = "Zolvik32 Zolhook64.dll"


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
    for name in (CLEANUP, REPLACE):
        wine_reg(session, "delete", RUNONCE, "/v", name, "/f")
    for folder in aside_folders(session):
        if folder.is_dir():
            shutil.rmtree(folder)
        else:
            folder.unlink(missing_ok=True)


def run_setup(session, program, *options, expect=0):
    """Runs the installer or uninstaller silently; the system it starts
    keeps running, so nothing waits for its output."""
    result = subprocess.run(["wine", str(program), "/S", *options], env=session.env(),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
    check(result.returncode == expect, f"{program.name} ended with {result.returncode}")


def registry_value(session, key, name):
    """The value's data as `reg query` shows it; None when it is missing."""
    output = session.query_registry(key, name)
    if output is None:
        return None
    line = next(line for line in output.splitlines() if line.strip().startswith(name))
    return line.split("    ", 3)[-1].strip()


def windows_command(command):
    """A command line as Windows splits it: double quotes group, backslashes
    are plain characters."""
    lexer = shlex.shlex(command, posix=True)
    lexer.whitespace_split = True
    lexer.escape = ""
    return list(lexer)


def log_on_anew(session):
    """What the next logon does for the system: the programs of the session
    end, then Windows runs the Run commands and the RunOnce commands, which
    it deletes first."""
    subprocess.run(["wineserver", "-k"], env=session.env())
    subprocess.run(["wineserver", "-w"], env=session.env())
    commands = [registry_value(session, RUN, "Zolvik32")]
    for name in (CLEANUP, REPLACE):
        commands.append(registry_value(session, RUNONCE, name))
        wine_reg(session, "delete", RUNONCE, "/v", name, "/f")
    for command in filter(None, commands):
        session.start(*windows_command(command))


class TempOnAnotherVolume:
    """The user's temporary folder on drive D:, a file system of its own (a
    RAM disk): Windows moves a file that is in use only within its volume."""

    def __init__(self, session):
        self.session = session
        self.disk = pathlib.Path("/dev/shm") / f"zolvik-{os.getpid()}"
        self.drive = PREFIX / "dosdevices" / "d:"

    def __enter__(self):
        shutil.rmtree(self.disk, ignore_errors=True)
        (self.disk / "temp").mkdir(parents=True)
        self.drive.unlink(missing_ok=True)
        self.drive.symlink_to(self.disk)
        for name in ("TEMP", "TMP"):
            wine_reg(self.session, "add", ENVIRONMENT, "/v", name, "/d", r"D:\temp", "/f")
        return self

    def __exit__(self, *exception):
        for name in ("TEMP", "TMP"):
            wine_reg(self.session, "add", ENVIRONMENT, "/v", name, "/d", r"C:\users\%USERNAME%\Temp",
                     "/t", "REG_EXPAND_SZ", "/f")
        subprocess.run(["wineserver", "-k"], env=self.session.env())
        self.drive.unlink(missing_ok=True)
        shutil.rmtree(self.disk, ignore_errors=True)


def aside_folders(session):
    return [unix_folder(session, "TEMP", "Zolvik32-alt"),
            install_folder(session).parent / "Zolvik32-alt"]


def check_cleanup_scheduled(session):
    cleanup = registry_value(session, RUNONCE, CLEANUP) or ""
    windows_folders = [part for part in windows_command(cleanup) if part.endswith("Zolvik32-alt")]
    check(len(windows_folders) == 2, f"both folders aside removed at the next logon: {cleanup!r}")


def tray_pids():
    result = subprocess.run(["pgrep", "-f", "Zolvik32.exe"], capture_output=True, text=True)
    return set(result.stdout.split())


def check_installed(session):
    folder = install_folder(session)
    for name in PROGRAMS:
        check(filecmp.cmp(folder / name, BIN32 / name, shallow=False), f"{name} installed as built")
    check(not any((folder / name).exists() for name in COMPANION), "no 64-bit companion installed")
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
    check(not session.running("Zolvik64.exe"), "no 64-bit host running")


def check_uninstalled(session):
    wait_until(lambda: not install_folder(session).exists(), "the installation folder to go")
    check(not start_menu(session).exists(), "the start-menu folder removed")
    check(session.query_registry(RUN, "Zolvik32") is None, "the Run value removed")
    check(wine_reg(session, "query", UNINSTALL).returncode != 0, "the installed-programs entry removed")
    check(session.control_hook() == 0, "the tray program ended")
    wait_until(lambda: not session.running("Zolvik64.exe"), "the host to end")


def macro_types(session, text):
    window = session.start_window("probe32", 32)
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
    # The probe window still maps Zolhook.dll: the library was moved out
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


def built_setup(session, name, *defines, bin32=BIN32):
    """An installer of the scenario's own, from the same script."""
    program = session.work / f"{name}.exe"
    result = subprocess.run(
        ["makensis", "-V1", "-XSetCompress off", *(f"-D{define}" for define in defines),
         "-DVERSION=1.1.0", f"-DSOURCE={REPO}", f"-DBIN32={bin32}",
         f"-DOUTFILE={program}", str(REPO / "installer" / "zolvik32.nsi")], capture_output=True, text=True)
    check(result.returncode == 0, f"makensis: {result.stdout} {result.stderr}")
    return program


def test_setup(session, elevation, sid):
    """The installer built for a test that names the account it runs under:
    Wine gives every process the elevated token of an administrator."""
    return built_setup(session, f"Setup-{elevation}-{sid}", f"TEST_ELEVATION={elevation}",
                       f"TEST_SID={sid}")


def older_setup(session):
    """An installer of files that differ from the build's, as an earlier
    version's would: each has a byte more at its end, which Windows ignores."""
    folder = session.work / "older"
    folder.mkdir(exist_ok=True)
    for name in PROGRAMS:
        (folder / name).write_bytes((BIN32 / name).read_bytes() + b"\0")
    return built_setup(session, "Older-Setup", bin32=folder), folder


@scenario
def elevated_or_system_account_is_refused(session):
    remove_installation(session)
    user = "S-1-5-21-1004336348-1177238915-682003330-1001"
    elevated = test_setup(session, 2, user)
    run_setup(session, elevated, expect=REFUSED)
    run_setup(session, test_setup(session, 1, "S-1-5-18"), expect=REFUSED)
    check(not install_folder(session).exists() and session.query_registry(RUN, "Zolvik32") is None,
          "nothing installed")
    shown = session.start(elevated)
    answer = []
    wait_until(lambda: answer.extend(session.probe("dialog", "Installation von Zolvik32 1.1.0")) or
               "ANSWERED" in answer, "the refusal")
    check(any("Administratorrechten" in line for line in answer), f"the box said {answer}")
    check(shown.wait(timeout=30) == REFUSED, "exit code 2")
    run_setup(session, test_setup(session, 1, user))
    wait_until(lambda: session.control_hook() != 0, "an administrator without a split token installs")
    run_setup(session, install_folder(session) / "Deinstallieren.exe")
    wait_until(lambda: not install_folder(session).exists(), "the installation folder to go")


@scenario
def library_in_use_is_moved_within_its_volume(session):
    # The temporary folder lies on another volume, where the library in use
    # cannot go: it goes beside the installation, and the next logon
    # removes it there too.
    session.use_keymap("us")
    remove_installation(session)
    with TempOnAnotherVolume(session):
        run_setup(session, SETUP)
        check_installed(session)
        macro_types(session, GREETING)
        run_setup(session, SETUP)
        check_installed(session)
        check_cleanup_scheduled(session)
        run_setup(session, install_folder(session) / "Deinstallieren.exe")
        check_uninstalled(session)
        check_cleanup_scheduled(session)
        check(any(aside_folders(session)[1].iterdir()), "the library in use moved beside")
        log_on_anew(session)
        wait_until(lambda: not any(folder.exists() for folder in aside_folders(session)),
                   "the folders aside to go at the next logon")


@scenario
def library_that_cannot_move_waits_with_the_new_files_for_the_next_logon(session):
    # Neither folder aside can take the library in use: the new files wait
    # beside the old ones, which stay as they are and keep running.
    session.use_keymap("us")
    remove_installation(session)
    with TempOnAnotherVolume(session):
        older, older_files = older_setup(session)
        run_setup(session, older)
        lay_out_companion(session)
        macro_types(session, GREETING)
        folder = install_folder(session)
        aside_folders(session)[1].write_text("a file where the folder would be")
        run_setup(session, SETUP, expect=RESTART_NEEDED)
        check(all(filecmp.cmp(folder / name, older_files / name, shallow=False)
                  for name in PROGRAMS), "the older files all stay")
        check(all((folder / name).exists() for name in COMPANION), "the older companion stays")
        check(all(filecmp.cmp(folder / f"{name}.neu", BIN32 / name, shallow=False)
                  for name in PROGRAMS), "every new file waits beside its old one")
        command = registry_value(session, RUN, "Zolvik32") or ""
        check(command.endswith('Deinstallieren.exe" /ERSETZEN'), f"the logon command: {command!r}")
        wait_until(lambda: session.control_hook() != 0, "the old version running on")
        aside_folders(session)[1].unlink()
        log_on_anew(session)
        wait_until(lambda: not any(folder.glob("*.neu")), "the new files to take their place")
        wait_until(lambda: session.control_hook() != 0, "the new version started")
        check(all(filecmp.cmp(folder / name, BIN32 / name, shallow=False)
                  for name in PROGRAMS), "the new files in place")
        check(not any((folder / name).exists() for name in COMPANION), "the companion gone")
        run = registry_value(session, RUN, "Zolvik32") or ""
        check(run.endswith('Programs\\Zolvik32\\Zolvik32.exe"'), f"the Run value as before: {run!r}")
        run_setup(session, folder / "Deinstallieren.exe")
        check_uninstalled(session)


# What ends the host: WM_QUIT to its thread, or the installer by force, as
# TerminateProcess hands over its exit code.
ENDED_BY_WM_QUIT = 0
ENDED_BY_FORCE = 1


def lay_out_companion(session, running=False, host_answers=True):
    """The 64-bit companion in the installation folder as version 1.1.0 left
    it, with a new library waiting for the next logon. Running, the host
    runs, and a 64-bit program still maps its library after its hook is
    gone, as Windows leaves it until the program next takes a message; the
    two processes are returned. The 64-bit probe then stands for both files:
    Windows treats a running program's file as a mapped library (it can be
    renamed, not deleted), and the probe window, as the host, pumps messages
    until WM_QUIT ends it with exit code 0. A host that does not answer is
    the 64-bit command interpreter waiting for input, which has no message
    queue at all. Not running, a library stands for the files, which no one
    can start."""
    folder = install_folder(session)
    stand_in = BIN / "tests" / "probe.exe" if running else BIN32 / "Zolhook.dll"
    for name in [*COMPANION, "Zolhook64.dll.neu"]:
        shutil.copy(stand_in, folder / name)
    if not host_answers:
        shutil.copy(PREFIX / "drive_c" / "windows" / "system32" / "cmd.exe", folder / "Zolvik64.exe")
    windows_folder = subprocess.run(["winepath", "-w", str(folder)], env=session.env(),
                                    capture_output=True, text=True).stdout.strip()
    wine_reg(session, "add", RUNONCE, "/v", COMPANION_VALUE, "/d",
             f'cmd.exe /c move /y "{windows_folder}\\Zolhook64.dll.neu" "{windows_folder}\\Zolhook64.dll"',
             "/f")
    if not running:
        return None
    processes = []
    for name in COMPANION:
        if name == "Zolvik64.exe" and not host_answers:
            processes.append(subprocess.Popen(["wine", str(folder / name), "/c", "pause"], env=session.env(),
                                              stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                              stderr=subprocess.DEVNULL))
            session.processes.append(processes[-1])
            wait_until(lambda: session.running("Zolvik64.exe /c pause"), "the host that does not answer")
            continue
        log = Log(session.work / f"{name}.log")
        processes.append(session.start(folder / name, "window", log.path, name))
        log.wait_for(lambda lines: "READY" in lines, f"{name} running")
    return processes


def check_companion_gone(session, host, application, ended_by=ENDED_BY_WM_QUIT):
    try:
        code = host.wait(timeout=30)
    except subprocess.TimeoutExpired:
        code = "none, it runs on"
    check(code == ended_by, f"the host ended with exit code {ended_by}, not {code}")
    check(application.poll() is None, "the program that maps the library runs on")
    wait_until(lambda: session.query_registry(RUNONCE, COMPANION_VALUE) is None,
               "1.1.0's logon command to go")
    check(not any(install_folder(session).glob("*.neu")), "1.1.0's waiting library removed")


@scenario
def upgrade_from_1_1_0_ends_its_64_bit_host_and_removes_its_files(session):
    remove_installation(session)
    run_setup(session, SETUP)
    host, application = lay_out_companion(session, running=True)
    before = tray_pids()
    run_setup(session, SETUP)
    check_companion_gone(session, host, application)
    wait_until(lambda: tray_pids() and not tray_pids() & before, "a new tray program")
    check_installed(session)
    check(any(aside_folders(session)[0].iterdir()), "the library in use moved aside")
    check_cleanup_scheduled(session)
    run_setup(session, install_folder(session) / "Deinstallieren.exe")
    check_uninstalled(session)


@scenario
def uninstall_ends_a_1_1_0_host_and_removes_its_files(session):
    # An installation whose new files wait for the next logon still has the
    # companion, and its old tray program restarted the host, which here
    # does not answer.
    remove_installation(session)
    run_setup(session, SETUP)
    host, application = lay_out_companion(session, running=True, host_answers=False)
    run_setup(session, install_folder(session) / "Deinstallieren.exe")
    check_uninstalled(session)
    check_companion_gone(session, host, application, ended_by=ENDED_BY_FORCE)
    check(any(aside_folders(session)[0].iterdir()), "the library in use moved aside")


def ask_to_close(session, program):
    # taskkill without /f closes the program's windows; a program that
    # has started but not yet made its window has nothing to close, so
    # the caller asks again until the program is gone.
    subprocess.run(["wine", "taskkill", "/im", program], env=session.env(), capture_output=True)
    return not session.running(program)


@scenario
def works_installed_in_a_folder_whose_name_the_code_page_lacks(session):
    # Wine reads Unix file names and arguments in the Unix locale's
    # character set: UTF-8 here, for "\u0141".
    session.lang = "C.UTF-8"
    remove_installation(session)
    folder = install_folder(session).parent / "Zolvik32 \u0141ukasz"
    shutil.rmtree(folder, ignore_errors=True)
    # The folder as an earlier installation left it: "/D=" takes no quotes,
    # which Wine puts around an argument with a blank.
    windows_folder = subprocess.run(["winepath", "-w", str(folder)], env=session.env(),
                                    capture_output=True, text=True).stdout.strip()
    wine_reg(session, "add", UNINSTALL, "/v", "InstallLocation", "/d", windows_folder, "/f")
    run_setup(session, SETUP)
    wait_until(lambda: session.control_hook() != 0, "the installed tray program")
    session.probe("send", 1223, 0, 0x202)
    wait_until(lambda: session.running("Zolsetup.exe"), "the configuration program")
    wait_until(lambda: ask_to_close(session, "Zolsetup.exe"), "the configuration program to close")
    run_setup(session, folder / "Deinstallieren.exe")
    wait_until(lambda: not folder.exists(), "the installation folder to go")
