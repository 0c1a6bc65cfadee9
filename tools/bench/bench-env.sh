# Shared by the Wine benchmark scripts: run from the project root, with the
# Windows build's benchmark in place, a prefix of its own beside the build and a
# scratch directory that goes with Wine and the display when the script ends.
#   source tools/bench/bench-env.sh
#   kestrix_bench_setup BUILD_DIR NAME    # sets exe=BUILD_DIR/bench/NAME.exe and work
source tools/wine/common.sh
source tools/wine/display.sh

kestrix_bench_setup() {
    exe="$1/bench/$2.exe"
    [ -f "$exe" ] || { echo "no $exe: build the windows preset first" >&2; exit 1; }
    export KESTRIX_WINEPREFIX="$PWD/$1/wine-prefix-bench"
    kestrix_wine_env
    work=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-$2.XXXXXX")
    kestrix_cleanup_on_exit kestrix_bench_cleanup
}

kestrix_bench_cleanup() {
    kestrix_wine_stop
    kestrix_display_stop
    rm -rf "$work"
}

# Busy pixels on the root window, so nothing measured depends on a blank screen:
# a noisy plasma (the worst case for PNG), or the picture KESTRIX_BENCH_BACKGROUND
# names (say, an ordinary desktop from take-screenshots.sh) scaled to fill it.
kestrix_bench_busy_background() {  # kestrix_bench_busy_background WxH
    if [ -n "${KESTRIX_BENCH_BACKGROUND:-}" ]; then
        convert "$KESTRIX_BENCH_BACKGROUND" -resize "$1!" "$work/background.png"
    else
        convert -seed 3 -size "$1" plasma:fractal "$work/background.png"
    fi
    display -window root "$work/background.png" || true
}
