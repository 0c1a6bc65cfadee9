#!/usr/bin/env bash
# Times capture_desktop under Wine on private displays of 1920x1080 and
# 3840x2160 (the Windows build's bench/capture_bench.exe must be built).
#   tools/bench/capture-bench.sh [BUILD_DIR]    # default build/windows
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
build=${1:-build/windows}
source tools/bench/bench-env.sh
kestrix_bench_setup "$build" capture_bench

for size in 1920x1080 3840x2160; do
    kestrix_display_start "$size" "$work"
    tools/wine/setup-prefix
    kestrix_bench_busy_background "$size"
    tools/wine/run-exe "$exe" 30 | tr -d '\r'
    kestrix_wine_stop
    kestrix_display_stop
done
