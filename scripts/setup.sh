#!/usr/bin/env bash
# Installs what building and testing need on Debian, when it is missing,
# and any further packages named as arguments. As root it installs;
# otherwise it prints the exact commands and fails.
set -euo pipefail

native=(cmake ninja-build g++ googletest)
windows=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools)
wine=(wine wine32:i386 wine64 xvfb xdotool x11-utils x11-xkb-utils x11-xserver-utils locales)
# The fuzzing build (clang with libFuzzer) and the benchmarks.
checks=(clang-14 libclang-rt-14-dev libbenchmark-dev)
# The installer, and the user guide's HTML pages it ships.
installer=(nsis lowdown)

missing=()
have_package() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for package in "${native[@]}" "${windows[@]}" "${wine[@]}" "${checks[@]}" "${installer[@]}" "$@"; do
    have_package "$package" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

need_i386=no
dpkg --print-foreign-architectures | grep -qx i386 || need_i386=yes

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}" >&2
    echo "Install them as root with:" >&2
    [ $need_i386 = yes ] && echo "  dpkg --add-architecture i386" >&2
    echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
    exit 1
fi

echo "Installing: ${missing[*]}"
[ $need_i386 = yes ] && dpkg --add-architecture i386
apt-get update -qq || echo "apt-get update reported errors; installing from the lists it has" >&2
export DEBIAN_FRONTEND=noninteractive
if ! apt-get install -y -qq "${missing[@]}" >/dev/null; then
    # A mirror caught in the middle of a sync can serve the security updates
    # for one architecture only, and the i386 and amd64 copies of a library
    # must have the same version: take the release's own versions then.
    preferences=$(mktemp)
    printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: 100\n' >"$preferences"
    apt-get -o Dir::Etc::preferences="$preferences" install -y -qq "${missing[@]}" >/dev/null
    rm -f "$preferences"
fi
