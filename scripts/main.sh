#!/usr/bin/env bash
# The main job: builds the Win32 deliverables, Zolhook.dll and (once it
# exists) Zolvik32.exe, and says where they are.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32
echo
echo "Win32 deliverables:"
for file in build/win32/Zolhook.dll build/win32/Zolvik32.exe; do
    [ -f "$file" ] && echo "  $(pwd)/$file"
done
