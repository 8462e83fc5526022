"""What the end-to-end scenarios share: the session on the shared display
and Wine prefix, the probe's logs, and the scenario registry."""
import array
import importlib
import os
import pathlib
import re
import shutil
import subprocess
import sys
import time

HERE = pathlib.Path(__file__).resolve().parent
REPO = HERE.parents[1]
# win32: the 32-bit system in a 32-bit prefix. win64: the 32-bit system of
# the win32 build (BIN32) in a 64-bit prefix, with the 64-bit test programs
# of the win64 build (BIN); only the scenarios_win64 modules run there.
ARCH = os.environ.get("ZOLVIK_ARCH", "win32")
BIN = pathlib.Path(os.environ.get("ZOLVIK_BIN", REPO / "build" / ARCH))
BIN32 = pathlib.Path(os.environ.get("ZOLVIK_BIN32", BIN))
STATE = pathlib.Path(os.environ.get("ZOLVIK_E2E_DIR", BIN / "e2e"))
PREFIX = pathlib.Path(os.environ.get(
    "ZOLVIK_WINEPREFIX", REPO / "build" / ("wineprefix64" if ARCH == "win64" else "wineprefix")))
LOCALES = STATE / "locales"

# Wine's sound output, through ALSA's file plugin, into a raw file: 16-bit
# little-endian stereo at 44100 Hz. The null device takes the data as fast as
# it comes, so the file shows which sounds played and in which order, not
# when.
ASOUND_CONF = """pcm.!default {{ type plug; slave {{ pcm "capfile"; format S16_LE; rate 44100; channels 2 }} }}
pcm.capfile {{ type file; slave.pcm "null"; file "|cat >>{capture}"; format "raw" }}
"""
CAPTURE_RATE = 44100

SCENARIOS = {}


def scenario(function):
    """Registers a scenario under its module's topic and its own name."""
    topic = function.__module__.removeprefix("scenarios_")
    SCENARIOS[f"{topic}.{function.__name__}"] = function
    return function


def load_scenarios():
    """The scenarios of this prefix's kind: in a 64-bit prefix only those of
    the scenarios_win64* modules, which borrow helpers from the others."""
    for path in sorted(HERE.glob("scenarios_*.py")):
        importlib.import_module(path.stem)
    for name in list(SCENARIOS):
        if name.startswith("win64") != (ARCH == "win64"):
            del SCENARIOS[name]


class ScenarioFailed(Exception):
    pass


def check(condition, message):
    if not condition:
        raise ScenarioFailed(message)


def wait_until(condition, what, timeout=20):
    deadline = time.monotonic() + timeout
    while not condition():
        check(time.monotonic() < deadline, f"timed out waiting for {what}")
        time.sleep(0.2)


class Session:
    """One scenario's view of the shared display and Wine prefix."""

    def __init__(self, name):
        self.display = (STATE / "display").read_text().strip()
        self.work = STATE / "runs" / name
        shutil.rmtree(self.work, ignore_errors=True)
        self.work.mkdir(parents=True)
        self.processes = []
        self.lang = "en_US.ISO-8859-1"
        self.extra_env = {}

    # --- environment -----------------------------------------------------
    def env(self):
        env = dict(os.environ)
        env.update(DISPLAY=self.display, WINEPREFIX=str(PREFIX), WINEARCH=ARCH,
                   WINEDEBUG="-all", LOCPATH=str(LOCALES), LANG=self.lang, LC_ALL=self.lang)
        env.update(self.extra_env)
        return env

    def x_env(self):
        env = dict(os.environ)
        env.update(DISPLAY=self.display, LANG="C.UTF-8")
        env.pop("LC_ALL", None)
        return env

    def use_keymap(self, layout):
        """The X keymap, and Wine's Latin-1 locale to go with it. Set before
        any Wine process starts: Wine reads the layout when a process starts."""
        subprocess.run(["setxkbmap", "-display", self.display, layout], check=True)
        self.lang = "de_DE.ISO-8859-1" if layout == "de" else "en_US.ISO-8859-1"

    def switch_locks_off(self):
        """Caps Lock and Num Lock live in the X server: a scenario that ended
        with one on would change what the next one types."""
        state = subprocess.run(["xset", "-display", self.display, "q"], capture_output=True,
                               text=True).stdout
        for name, key in (("Caps Lock", "Caps_Lock"), ("Num Lock", "Num_Lock")):
            if re.search(name + r":\s+on\b", state):
                self.xdotool("key", key)

    def capture_sound(self):
        """Sends the sound output of the Wine processes started from now on
        into a capture file, and returns it."""
        capture = SoundCapture(self.work / "sound.raw")
        config = self.work / "asound.conf"
        config.write_text(ASOUND_CONF.format(capture=capture.path))
        self.extra_env["ALSA_CONFIG_PATH"] = f"/usr/share/alsa/alsa.conf:{config}"
        result = subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\Drivers", "/v", "Audio",
                                 "/d", "alsa", "/f"], env=self.env(), capture_output=True)
        check(result.returncode == 0, f"Wine's audio driver not set: {result.stderr!r}")
        return capture

    # --- registry --------------------------------------------------------
    def reset_registry(self):
        for key in (r"HKCU\Software\Quendlin", r"HKCU\AppEvents\Schemes\Apps\Zolvik32"):
            subprocess.run(["wine", "reg", "delete", key, "/f"], env=self.env(),
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def import_registry(self, text):
        """Imports the text with `wine reg import`: as a REGEDIT4 file in
        code page 1252, or as a version 5.00 file in UTF-16LE when it holds a
        character that code page lacks."""
        path = self.work / "scenario.reg"
        lines = text.replace("\n", "\r\n")
        try:
            path.write_bytes(("REGEDIT4\r\n\r\n" + lines).encode("cp1252"))
        except UnicodeEncodeError:
            path.write_bytes(("\ufeffWindows Registry Editor Version 5.00\r\n\r\n" + lines).encode("utf-16-le"))
        result = subprocess.run(["wine", "reg", "import", str(path)], env=self.env(),
                                capture_output=True)
        check(result.returncode == 0, f"reg import failed: {result.stderr!r}")

    def query_registry(self, key, value):
        result = subprocess.run(["wine", "reg", "query", key, "/v", value], env=self.env(),
                                capture_output=True)
        return result.stdout.decode("cp1252", "replace") if result.returncode == 0 else None

    # --- programs --------------------------------------------------------
    def start(self, *args):
        process = subprocess.Popen(["wine", *map(str, args)], env=self.env(),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def start_host(self, library=BIN32 / "Zolhook.dll"):
        """The stand-in for the tray program: installs the hook of the
        library and serves as the control window."""
        log = Log(self.work / "host.log")
        self.start(BIN32 / "tests" / "probe.exe", "host", log.path, library)
        log.wait_for(lambda lines: "INSTALLED yes" in lines, "hook installed")
        return log

    def start_window(self, title="probe", bits=32, unicode=False):
        """A probe window, 32-bit or (in a 64-bit prefix) 64-bit, which then
        has the keyboard focus; a Unicode program's with unicode."""
        log = Log(self.work / f"{title}.log")
        self.start((BIN32 if bits == 32 else BIN) / "tests" / "probe.exe", "window", log.path, title,
                   *(["unicode"] if unicode else []))
        log.wait_for(lambda lines: "READY" in lines, f"{title} window ready")
        self.window_id = self.xdotool("search", "--sync", "--name", f"^{title}$").split()[0]
        self.focus_window()
        return log

    def focus_window(self):
        """Gives the probe window the keyboard focus again, say after a
        program the system started took it."""
        self.xdotool("windowfocus", "--sync", self.window_id)

    def switch_to(self, title):
        """Brings another probe window to the front and gives it the focus.
        Without a window manager X focus alone does not move Wine's keyboard
        focus to another of its windows: Wine itself has to activate it."""
        self.probe("activate", title)
        self.window_id = self.xdotool("search", "--name", f"^{title}$").split()[0]
        self.focus_window()

    def start_tray(self, *args, setup=False, folder_name="app"):
        """Zolvik32.exe with Zolhook.dll beside it, in a folder of the
        scenario's own (with a test Zolsetup.exe that records its start, when
        asked); returns once the control window answers."""
        folder = self.work / folder_name
        folder.mkdir(exist_ok=True)
        for name in ("Zolvik32.exe", "Zolhook.dll"):
            shutil.copy(BIN32 / name, folder / name)
        if setup:
            shutil.copy(BIN32 / "tests" / "recorder.exe", folder / "Zolsetup.exe")
        process = self.start(folder / "Zolvik32.exe", *args)
        deadline = time.monotonic() + 20
        while self.control_hook() == 0:
            check(time.monotonic() < deadline and process.poll() is None,
                  f"the tray program did not start (exit code {process.poll()})")
            time.sleep(0.2)
        return process

    def probe(self, *args):
        """Runs the probe for one request and returns what it wrote."""
        log = Log(self.work / f"probe-{len(self.processes)}-{time.monotonic_ns()}.log")
        subprocess.run(["wine", str(BIN32 / "tests" / "probe.exe"), args[0], str(log.path),
                        *map(str, args[1:])], env=self.env(), timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return log.lines()

    def control_hook(self):
        """The control window's answer to UM_GETHOOK; 0 without the window."""
        lines = self.probe("send", 1130, 0, 0)
        return int(lines[0].split()[1]) if lines and lines[0].startswith("RESULT") else 0

    def running(self, program):
        """Whether a Windows program of that file name runs in the prefix."""
        return subprocess.run(["pgrep", "-f", program], capture_output=True).returncode == 0

    def xdotool(self, *args):
        result = subprocess.run(["xdotool", *args], env=self.x_env(), capture_output=True,
                                text=True, timeout=30)
        check(result.returncode == 0, f"xdotool {args}: {result.stderr}")
        return result.stdout

    def keys(self, *names):
        self.xdotool("key", "--delay", "80", *names)

    def type(self, text):
        """Types the text with xdotool; a character beyond U+FFFF, which
        Wine takes from no key, is entered as Unicode input instead, as
        Windows' emoji panel enters it."""
        for part in re.findall("[\U00010000-\U0010FFFF]+|[^\U00010000-\U0010FFFF]+", text):
            if ord(part[0]) > 0xFFFF:
                time.sleep(0.5)     # the keys xdotool sent first arrive first
                units = part.encode("utf-16-be").hex().upper()
                check(self.probe("unicode", units) == [f"SENT {len(units) // 2}"], f"{part!r} entered")
            else:
                self.xdotool("type", "--delay", "80", part)

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.env())
        for process in self.processes:
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()


class Log:
    """A log file a probe writes, read as its lines."""

    def __init__(self, path):
        self.path = pathlib.Path(path)
        self.path.write_text("")

    def lines(self):
        return self.path.read_text(encoding="latin-1").splitlines()

    def wait_for(self, predicate, what, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if predicate(self.lines()):
                return self.lines()
            time.sleep(0.1)
        raise ScenarioFailed(f"timed out waiting for {what}; {self.path.name} has {self.lines()}")

    def settle(self, quiet=1.0, timeout=20):
        """Waits until no line has been added for `quiet` seconds."""
        deadline = time.monotonic() + timeout
        count, since = len(self.lines()), time.monotonic()
        while time.monotonic() < deadline:
            time.sleep(0.1)
            now = len(self.lines())
            if now != count:
                count, since = now, time.monotonic()
            elif time.monotonic() - since >= quiet:
                return self.lines()
        raise ScenarioFailed(f"{self.path.name} never settled")

    def characters(self):
        return bytes(int(line.split()[1], 16) for line in self.lines()
                     if line.startswith("CHAR ")).decode("cp1252")

    def wide_characters(self):
        """What a Unicode window received, its UTF-16 units put together."""
        units = b"".join(int(line.split()[1], 16).to_bytes(2, "little") for line in self.lines()
                         if line.startswith("WCHAR "))
        return units.decode("utf-16-le", errors="replace")

    def key_messages(self):
        """(message, virtual key) pairs in the order received."""
        return [(parts[0], int(parts[1], 16)) for parts in map(str.split, self.lines())
                if parts and parts[0] in ("KEYDOWN", "KEYUP", "SYSKEYDOWN", "SYSKEYUP")]


class SoundCapture:
    """The raw file the sound capture writes, read as the left channel's
    16-bit samples."""

    def __init__(self, path):
        self.path = pathlib.Path(path)

    def samples(self):
        data = self.path.read_bytes() if self.path.exists() else b""
        values = array.array("h")
        values.frombytes(data[:len(data) - len(data) % 4])
        if sys.byteorder != "little":
            values.byteswap()
        return values[::2]

    def settle(self, quiet=1.0, timeout=20):
        """Waits until the file has not grown for `quiet` seconds."""
        def size():
            return self.path.stat().st_size if self.path.exists() else 0
        deadline = time.monotonic() + timeout
        last, since = size(), time.monotonic()
        while time.monotonic() < deadline:
            time.sleep(0.1)
            now = size()
            if now != last:
                last, since = now, time.monotonic()
            elif time.monotonic() - since >= quiet:
                return self.samples()
        raise ScenarioFailed(f"{self.path.name} never settled")
