#!/usr/bin/env bash
# run-with-keymap.sh LAYOUT COMMAND...
# Runs a Wine command on an X display of its own whose keymap is LAYOUT (us
# or de), in a Latin-1 locale, with ZOLVIK_LAYOUT=LAYOUT for the tests.
# Wine derives its Windows keyboard layout from the X keymap when a process
# starts, and without a Latin-1 locale it finds no key for any non-ASCII
# character. The display and the Wine session end with the command.
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "usage: $0 us|de COMMAND..." >&2
    exit 2
fi
layout=$1
shift
case $layout in
    us) locale=en_US ;;
    de) locale=de_DE ;;
    *) echo "$0: unknown layout '$layout' (us or de)" >&2; exit 2 ;;
esac

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export WINEPREFIX=${ZOLVIK_WINEPREFIX:-$repo/build/wineprefix}
work=$(mktemp -d)
xvfb=

finish() {
    # Wine's processes hold the display: let the session end before it goes.
    wineserver -w 2>/dev/null || true
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# A Wine session that is still running keeps the display and keymap it
# started with; wait for it to end so that ours starts on this display.
wineserver -w 2>/dev/null || true

# Xvfb picks a free display itself and names it once it accepts clients.
# Without -noreset it would drop the keymap when its last client leaves.
mkfifo "$work/display"
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1024x768x24 \
    3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
read -r display <"$work/display" || true
if [ -z "${display:-}" ]; then
    echo "$0: Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
export DISPLAY=:$display
setxkbmap -display "$DISPLAY" "$layout"

mkdir -p "$work/locale"
localedef -i "$locale" -f ISO-8859-1 "$work/locale/$locale.ISO-8859-1"

status=0
env LOCPATH="$work/locale" LANG="$locale.ISO-8859-1" LC_ALL="$locale.ISO-8859-1" \
    ZOLVIK_LAYOUT="$layout" "$@" || status=$?
exit "$status"
