#!/usr/bin/env bash
# The main job: builds the Win32 deliverables and the 64-bit test window,
# then shows the system at work under Wine, in a 64-bit prefix on an Xvfb
# display of its own, in a 64-bit window (served by the low-level hook in the
# tray program) and a 32-bit one (served by the hook library inside it):
# scripts/demo.py tour. With an X display of your own it then offers to
# start the system there.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh x11-apps imagemagick
for preset in win32 win64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
echo
echo "Built: $(pwd)/build/win32/Zolvik32.exe and $(pwd)/build/win32/Zolhook.dll,"
echo "       for 32-bit and 64-bit Windows alike (no 64-bit companion any more:"
echo "       on a 64-bit Windows the tray program serves 64-bit programs and Store"
echo "       apps through the library's low-level keyboard hook)"
echo
python3 scripts/demo.py tour
if [ -n "${DISPLAY:-}" ] && [ -t 0 ]; then
    echo
    read -r -p "Start Zolvik32 on your display ($DISPLAY) to try it? [y/N] " answer
    case "$answer" in
        y|Y|j|J) python3 scripts/demo.py try ;;
    esac
fi
