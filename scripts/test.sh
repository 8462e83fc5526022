#!/usr/bin/env bash
# Runs every test: the native build (unit and contract tests over the
# simulated backend), the same with AddressSanitizer and
# UndefinedBehaviorSanitizer, a bounded run of each fuzz target, then the
# Win32 build (contract and end-to-end tests under Wine) and the win64 build
# (unit and contract tests as 64-bit programs, the installer, end-to-end
# tests with the Win32 build in a 64-bit prefix). Ends with one summary line.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh || exit 1

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
for preset in native asan fuzz win32 win64; do
    echo "== $preset =="
    if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; }; then
        echo "build of $preset failed"
        exit 1
    fi
    ctest --preset "$preset" 2>&1 | tee -a "$log" || status=1
done

passed=0
failed=0
while read -r _ _ _ count _ _ _ _ total; do
    failed=$((failed + count))
    passed=$((passed + total - count))
done < <(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log")
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$status" -eq 0 ]
