#!/usr/bin/env bash
# Times copy_image of a 3840x2160 screen under Wine on a private display (the
# Windows build's bench/clipboard_bench.exe must be built). Extra arguments go
# to the benchmark (--runs N, screenshots to use instead of the synthetic screen).
#   tools/bench/clipboard-bench.sh [BUILD_DIR] [ARGS...]    # default build/windows
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
build=${1:-build/windows}
shift || true
exe="$build/bench/clipboard_bench.exe"
[ -f "$exe" ] || { echo "no $exe: build the windows preset first" >&2; exit 1; }
source tools/wine/common.sh
source tools/wine/display.sh
export KESTRIX_WINEPREFIX="$PWD/$build/wine-prefix-bench"
kestrix_wine_env
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-clipboard-bench.XXXXXX")
cleanup() {
    kestrix_wine_stop
    kestrix_display_stop
    rm -rf "$work"
}
kestrix_cleanup_on_exit cleanup

kestrix_display_start one "$work"
tools/wine/setup-prefix
tools/wine/run-exe "$exe" "$@" | tr -d '\r'
