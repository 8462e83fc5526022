#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix, 32-bit by
# default or 64-bit after --win64 (which runs 32-bit programs too), creating
# the prefix once (under a lock, since CTest may start several programs at a
# time). Used as CMake's cross-compiling emulator.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ "${1:-}" = --win64 ]; then
    shift
    export WINEARCH=win64
    export WINEPREFIX=${ZOLVIK_WINEPREFIX:-$repo/build/wineprefix64}
else
    export WINEARCH=win32
    export WINEPREFIX=${ZOLVIK_WINEPREFIX:-$repo/build/wineprefix}
fi
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
