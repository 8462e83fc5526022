#!/usr/bin/env python3
"""The user guide's pictures of Zolsetup.exe, taken under Wine.

    zolsetup_pictures.py    builds nothing: needs build/win32 (cmake --build
                            --preset win32); writes docs/images/zolsetup-*.png

On an Xvfb display and in a Wine prefix of its own (build/pictures), with
the example configurations imported, it opens each page of the program and
takes the window's picture with tests/e2e/snapshot.exe (the machine needs
no image tools: the BMP is turned into PNG by scripts/bmp_to_png.py). There
is no window manager on the display: Wine draws the windows' frames itself
("Decorated"="N"), so the pictures show the title bar and border a user
sees; its caption buttons are drawn with Wine's Marlett font, which the
prefix gets from Wine's own fonts.
"""
import os
import pathlib
import shutil
import subprocess
import sys
import time

REPO = pathlib.Path(__file__).resolve().parents[1]
WORK = REPO / "build" / "pictures"
os.environ.setdefault("ZOLVIK_BIN", str(REPO / "build" / "win32"))
os.environ["ZOLVIK_E2E_DIR"] = str(WORK)
os.environ["ZOLVIK_WINEPREFIX"] = str(WORK / "wineprefix")
sys.path.insert(0, str(REPO / "tests" / "e2e"))
sys.path.insert(0, str(REPO / "scripts"))

import run_e2e  # noqa: E402
from bmp_to_png import convert  # noqa: E402
from harness import BIN, Session  # noqa: E402
from scenarios_setup import TITLE, wait_until, windows  # noqa: E402

EXAMPLES = [REPO / "examples" / "german-office.reg", REPO / "examples" / "umlaut-tables.reg",
            REPO / "examples" / "program-rules.reg"]
IMAGES = REPO / "docs" / "images"
MARLETT = pathlib.Path("/usr/share/wine/fonts/marlett.ttf")
# Each page in tab order, and the keys that show something worth seeing on
# it; Ctrl+Tab turns to the next page.
PAGES = [
    ("einstellungen", []),
    ("makros", [("alt+u",), ("Tab",), ("Down",), ("Down",)]),
    ("umlaute", []),
    ("klaenge", []),
    ("programme", []),
    ("dateien", []),
]


def picture(session, name):
    bitmap = session.work / f"{name}.bmp"
    subprocess.run(["wine", str(BIN / "tests" / "snapshot.exe"), "Zolvik32 Konfiguration",
                    str(bitmap)], env=session.env(), check=True)
    convert(bitmap, IMAGES / f"zolsetup-{name}.png")
    print(f"docs/images/zolsetup-{name}.png")


def frames(session):
    """Wine draws the window frames, with caption buttons in Marlett."""
    def reg_add(key, value, data):
        subprocess.run(["wine", "reg", "add", key, "/v", value, "/d", data, "/f"], env=session.env(),
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    reg_add(r"HKCU\Software\Wine\X11 Driver", "Decorated", "N")
    fonts = pathlib.Path(os.environ["ZOLVIK_WINEPREFIX"]) / "drive_c" / "windows" / "Fonts"
    shutil.copy(MARLETT, fonts / "marlett.ttf")
    reg_add(r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts", "Marlett (TrueType)", "marlett.ttf")


def main():
    run_e2e.start()
    session = Session("pictures")
    try:
        session.use_keymap("de")
        frames(session)
        for example in EXAMPLES:
            subprocess.run(["wine", "reg", "import", str(example)], env=session.env(), check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        session.start(BIN / "Zolsetup.exe")
        window = wait_until(lambda: windows(session, TITLE), "Zolsetup's window")[0]
        session.xdotool("windowfocus", "--sync", window)
        IMAGES.mkdir(parents=True, exist_ok=True)
        for index, (name, actions) in enumerate(PAGES):
            if index > 0:
                session.keys("ctrl+Tab")
            for action in actions:
                session.keys(*action)
            time.sleep(1)
            picture(session, name)
    finally:
        session.close()
        run_e2e.stop()


if __name__ == "__main__":
    main()
