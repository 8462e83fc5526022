#!/usr/bin/env bash
# The benchmarks, one command: the hook procedure's cost per keystroke over
# the simulated backend with its registry calls (Google Benchmark), then
# under Wine a long macro against xdotool, the hook procedure's own time
# inside a real process, the sizes of the deliverables, and the long macro
# against xdotool again in a 64-bit window, typed by the tray program's
# low-level hook. Prints tables;
# the tests never time anything. Takes about three minutes.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
for preset in bench bench-win32 win32 win64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" >/dev/null
done
echo "== The hook procedure per keystroke over the simulated backend (a press and a release;"
echo "   registry_calls and key_opens per keystroke; synthesised: events a macro typed)"
build/bench/bench/hook_bench --benchmark_counters_tabular=true 2>&1 | sed -n '/^-----/,$p'
echo
python3 bench/wine_bench.py
