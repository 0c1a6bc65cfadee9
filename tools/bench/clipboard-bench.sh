#!/usr/bin/env bash
# Times copy_image of a 3840x2160 screen under Wine on a private display (the
# Windows build's bench/clipboard_bench.exe must be built). Extra arguments go
# to the benchmark (--runs N, screenshots to use instead of the synthetic screen).
#   tools/bench/clipboard-bench.sh [BUILD_DIR] [ARGS...]    # default build/windows
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
build=${1:-build/windows}
shift || true
source tools/bench/bench-env.sh
kestrix_bench_setup "$build" clipboard_bench

kestrix_display_start one "$work"
tools/wine/setup-prefix
tools/wine/run-exe "$exe" "$@" | tr -d '\r'
