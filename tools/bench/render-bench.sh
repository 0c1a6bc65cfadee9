#!/usr/bin/env bash
# Runs the Windows build's render benchmark under Wine on a private display
# (the Windows build's bench/render_bench.exe must be built). Further .exe
# paths are run too, alternately with the first, for before/after comparisons
# under the same conditions.
#   tools/bench/render-bench.sh [BUILD_DIR] [ROUNDS] [OTHER.exe...]   # default build/windows, 1 round
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
build=${1:-build/windows}
rounds=${2:-1}
shift $(( $# > 2 ? 2 : $# ))
source tools/bench/bench-env.sh
kestrix_bench_setup "$build" render_bench

kestrix_display_start one "$work"
tools/wine/setup-prefix
for round in $(seq 1 "$rounds"); do
    for program in "$exe" "$@"; do
        echo "== round $round: $program"
        tools/wine/run-exe "$program" | tr -d '\r'
    done
done
