#!/usr/bin/env bash
# Times the region overlay under Wine on private displays of 1920x1080 and
# 3840x2160 (the Windows build's bench/overlay_bench.exe must be built). Each
# size runs the bench RUNS times cold and RUNS times with the start-up warm-up,
# then prints the medians of the first open of a process either way.
#   tools/bench/overlay-bench.sh [BUILD_DIR] [RUNS]    # default build/windows 3
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
build=${1:-build/windows}
runs=${2:-3}
source tools/bench/bench-env.sh
kestrix_bench_setup "$build" overlay_bench

for size in 1920x1080 3840x2160; do
    kestrix_display_start "$size" "$work"
    tools/wine/setup-prefix
    kestrix_bench_busy_background "$size"
    : >"$work/figures"
    # Alternating which goes first keeps the prefix's own first start from
    # counting against one side only.
    for ((run = 1; run <= runs; ++run)); do
        modes=("" --warm-up)
        ((run % 2)) || modes=(--warm-up "")
        for mode in "${modes[@]}"; do
            tools/wine/run-exe "$exe" 60 $mode | tr -d '\r' | tee -a "$work/figures"
        done
    done
    # "overlay WxH, <label>: open_overlay to first complete paint N ms"
    for label in "first in the process, cold" "first in the process, warmed up" "again"; do
        grep -F ", $label: " "$work/figures" | sed -E 's/.* ([0-9.]+) ms$/\1/' | sort -n |
            awk -v size="$size" -v label="$label" '{ v[NR] = $1 }
                END { if (NR) printf "%s %s: first paint median %.1f ms over %d runs (min %.1f, max %.1f)\n",
                                     size, label, v[int((NR + 1) / 2)], NR, v[1], v[NR] }'
    done
    grep -F "warm-up: " "$work/figures" | sed -E 's/.* ([0-9.]+) ms$/\1/' | sort -n |
        awk -v size="$size" '{ v[NR] = $1 } END { if (NR) printf "%s warm-up itself: median %.1f ms\n", size, v[int((NR + 1) / 2)] }'
    kestrix_wine_stop
    kestrix_display_stop
done
