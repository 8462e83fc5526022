#!/usr/bin/env python3
"""End-to-end scenarios: the real Win32 deliverables under Wine on an Xvfb
display, driven by real key presses from xdotool.

    run_e2e.py start            start the display, the locales and the prefix
    run_e2e.py list             the scenario names, one a line
    run_e2e.py run NAME         run one scenario (exit 0 when it passes)
    run_e2e.py stop             end every Wine process and the display

Scenarios live in the scenarios_*.py modules beside this file. Each starts
from a known registry: the system's keys are deleted and the scenario's own
values imported. The probe program writes what it receives to log files,
flushing every line, so a scenario waits for lines instead of sleeping.
"""
import os
import pathlib
import signal
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from harness import (ARCH, LOCALES, PREFIX, REPO, SCENARIOS, STATE,  # noqa: E402
                     ScenarioFailed, Session, check, load_scenarios)


# --- the shared display and prefix -----------------------------------------
def free_display():
    for number in range(90, 200):
        if not pathlib.Path(f"/tmp/.X{number}-lock").exists() and \
                not pathlib.Path(f"/tmp/.X11-unix/X{number}").exists():
            return f":{number}"
    raise RuntimeError("no free X display")


def make_locales():
    LOCALES.mkdir(parents=True, exist_ok=True)
    for name, source in (("de_DE.ISO-8859-1", "de_DE"), ("en_US.ISO-8859-1", "en_US")):
        if not (LOCALES / name).exists():
            subprocess.run(["localedef", "-i", source, "-f", "ISO-8859-1", str(LOCALES / name)],
                           check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def start():
    stop()
    STATE.mkdir(parents=True, exist_ok=True)
    make_locales()
    display = free_display()
    xvfb = subprocess.Popen(["Xvfb", display, "-noreset", "-screen", "0", "1024x768x24"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            start_new_session=True)
    deadline = time.monotonic() + 20
    while not pathlib.Path(f"/tmp/.X11-unix/X{display[1:]}").exists():
        check(time.monotonic() < deadline and xvfb.poll() is None, "Xvfb did not start")
        time.sleep(0.1)
    (STATE / "xvfb.pid").write_text(str(xvfb.pid))
    (STATE / "display").write_text(display)
    arch = ["--win64"] if ARCH == "win64" else []
    subprocess.run([str(REPO / "scripts" / "wine-run.sh"), *arch, "cmd", "/c", "exit"],
                   env=dict(os.environ, DISPLAY=display, ZOLVIK_WINEPREFIX=str(PREFIX)),
                   stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=True)
    # A crash inside a test must end the process, not open Wine's debugger.
    subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\WineDbg", "/v", "ShowCrashDialog",
                    "/t", "REG_DWORD", "/d", "0", "/f"],
                   env=dict(os.environ, DISPLAY=display, WINEPREFIX=str(PREFIX), WINEARCH=ARCH,
                            WINEDEBUG="-all"),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    print(f"display {display}, prefix {PREFIX}")


def stop():
    env = dict(os.environ, WINEPREFIX=str(PREFIX))
    if PREFIX.exists():
        subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL)
    pid_file = STATE / "xvfb.pid"
    if pid_file.exists():
        try:
            os.kill(int(pid_file.read_text()), signal.SIGTERM)
        except ProcessLookupError:
            pass
        pid_file.unlink()


def run(name):
    load_scenarios()
    session = Session(name)
    try:
        session.switch_locks_off()
        session.reset_registry()
        SCENARIOS[name](session)
    except ScenarioFailed as failure:
        print(f"FAILED {name}: {failure}")
        return 1
    finally:
        session.close()
    print(f"passed {name}")
    return 0


def main(argv):
    command = argv[1] if len(argv) > 1 else ""
    if command == "start":
        start()
    elif command == "stop":
        stop()
    elif command == "list":
        load_scenarios()
        print("\n".join(SCENARIOS))
    elif command == "run" and len(argv) == 3:
        return run(argv[2])
    else:
        print(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
