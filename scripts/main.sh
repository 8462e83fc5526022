#!/usr/bin/env bash
# The main job: builds the Win32 deliverables and the 64-bit companion, then
# shows the system at work under Wine, in a 64-bit prefix on an Xvfb display
# of its own, in a 32-bit and a 64-bit window (scripts/demo.py tour). With an
# X display of your own it then offers to start the system there.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh x11-apps imagemagick
for preset in win32 win64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
echo
echo "Built: $(pwd)/build/win32/Zolvik32.exe and $(pwd)/build/win32/Zolhook.dll,"
echo "       $(pwd)/build/win64/Zolvik64.exe and $(pwd)/build/win64/Zolhook64.dll"
echo
python3 scripts/demo.py tour
if [ -n "${DISPLAY:-}" ] && [ -t 0 ]; then
    echo
    read -r -p "Start Zolvik32 on your display ($DISPLAY) to try it? [y/N] " answer
    case "$answer" in
        y|Y|j|J) python3 scripts/demo.py try ;;
    esac
fi
