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
exe="$build/bench/render_bench.exe"
[ -f "$exe" ] || { echo "no $exe: build the windows preset first" >&2; exit 1; }
source tools/wine/common.sh
source tools/wine/display.sh
export KESTRIX_WINEPREFIX="$PWD/$build/wine-prefix-bench"
kestrix_wine_env
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-render-bench.XXXXXX")
cleanup() {
    kestrix_wine_stop
    kestrix_display_stop
    rm -rf "$work"
}
kestrix_cleanup_on_exit cleanup

kestrix_display_start one "$work"
tools/wine/setup-prefix
for round in $(seq 1 "$rounds"); do
    for program in "$exe" "$@"; do
        echo "== round $round: $program"
        tools/wine/run-exe "$program" | tr -d '\r'
    done
done
