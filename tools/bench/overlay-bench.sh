#!/usr/bin/env bash
# Times the region overlay under Wine on private displays of 1920x1080 and
# 3840x2160 (the Windows build's bench/overlay_bench.exe must be built).
#   tools/bench/overlay-bench.sh [BUILD_DIR]    # default build/windows
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
build=${1:-build/windows}
exe="$build/bench/overlay_bench.exe"
[ -f "$exe" ] || { echo "no $exe: build the windows preset first" >&2; exit 1; }
source tools/wine/common.sh
source tools/wine/display.sh
export KESTRIX_WINEPREFIX="$PWD/$build/wine-prefix-bench"
kestrix_wine_env
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-overlay-bench.XXXXXX")
cleanup() {
    kestrix_wine_stop
    kestrix_display_stop
    rm -rf "$work"
}
kestrix_cleanup_on_exit cleanup

for size in 1920x1080 3840x2160; do
    kestrix_display_start "$size" "$work"
    tools/wine/setup-prefix
    # Busy pixels, so nothing about the copy depends on a blank screen.
    convert -seed 3 -size "$size" plasma:fractal "$work/background.png"
    display -window root "$work/background.png" || true
    tools/wine/run-exe "$exe" 60 | tr -d '\r'
    kestrix_wine_stop
    kestrix_display_stop
done
