#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own 32-bit prefix,
# creating the prefix once (under a lock, since CTest may start several
# programs at a time). Used as CMake's cross-compiling emulator.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${ZOLVIK_WINEPREFIX:-$repo/build/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot -i >/dev/null 2>&1
        wineserver -w
    fi
) 9>"$WINEPREFIX.lock"

exec wine "$@"
