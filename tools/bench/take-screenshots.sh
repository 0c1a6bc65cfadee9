#!/usr/bin/env bash
# Takes the screenshots that bench/png_bench encodes: real Wine windows (dialogs,
# trees, lists, a text editor full of source code) over different desktop
# backgrounds, on private displays of 1920x1080 and 3840x2160 (the latter at
# 200 % scaling, as such a monitor is normally used).
#   tools/bench/take-screenshots.sh OUTDIR
# Writes OUTDIR/{ui,text,textaa,photo,flat}-WxH.png.
set -euo pipefail
out=$1
mkdir -p "$out"
out=$(cd "$out" && pwd)
tools="$(cd "$(dirname "${BASH_SOURCE[0]}")/../wine" && pwd)"
source "$tools/common.sh"
source "$tools/display.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-shots.XXXXXX")

cleanup() {
    kestrix_wine_stop
    kestrix_display_stop
    rm -rf "$work"
}
kestrix_cleanup_on_exit cleanup

# Text for the editor windows: the project's own sources.
cat "$tools"/../../core/src/*.cpp "$tools"/../../platform/src/windows/*.cpp >"$work/code.txt"
cp "$tools/../../README.md" "$work/readme.txt"
(cd "$tools/../.." && git ls-files 2>/dev/null || find . -name '*.cpp') | sed -n 1,80p >"$work/files.txt"

# launch X Y TITLE program [args]: starts a Wine program and moves its window.
launch() {
    local x=$1 y=$2 title=$3 id=
    shift 3
    "$KESTRIX_WINE" "$@" >/dev/null 2>&1 &
    for _ in $(seq 1 150); do
        id=$(xdotool search --onlyvisible --name "$title" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && break
        sleep 0.2
    done
    if [ -z "$id" ]; then
        echo "[shots] no window '$title' appeared" >&2
        return 0
    fi
    xdotool windowmove "$id" "$x" "$y"
}

background() {  # background IMAGE-SPEC (an ImageMagick input)
    convert -size "${width}x${height}" "$@" -depth 8 "$work/background.png"
    display -window root "$work/background.png" || true  # exits 1 even on success
}

shot() {  # shot NAME: waits for painting to settle, saves, closes every window
    sleep 3
    import -window root -depth 8 "$out/$1-${width}x${height}.png"
    echo "[shots] $out/$1-${width}x${height}.png" >&2
    kestrix_wine_stop
}

take_all() {
    local s=$1  # layout scale: 1 at 96 DPI, 2 at 192 DPI
    background gradient:'#1d4e89'-'#6fa8dc'
    launch $((760 * s)) $((470 * s)) "Registry Editor" regedit.exe
    launch $((20 * s)) $((20 * s)) "File Manager" winefile.exe
    launch $((1180 * s)) $((260 * s)) "code.txt" notepad.exe "Z:$work/code.txt"
    launch $((1440 * s)) $((30 * s)) "Wine configuration" winecfg.exe
    launch $((1600 * s)) $((760 * s)) WineMine winemine.exe
    shot ui

    background xc:'#f3f3f3'
    launch 0 0 "code.txt" notepad.exe "Z:$work/code.txt"
    launch $((1000 * s)) $((120 * s)) "readme.txt" notepad.exe "Z:$work/readme.txt"
    shot text

    # Wine draws its own text without smoothing; an editor page with
    # anti-aliased text (as most desktops show it) is drawn by ImageMagick.
    local pt=$((13 * s)) files code
    # inline text: ImageMagick's policy forbids @file, and % starts an escape
    files=$(sed 's/%/%%/g' "$work/files.txt")
    code=$(head -n $((height / (17 * s))) "$work/code.txt" | sed 's/%/%%/g')
    convert -size "${width}x${height}" xc:white \
        -fill '#f0f0f0' -draw "rectangle 0,0 $((260 * s)),$height" \
        -fill '#dde6f0' -draw "rectangle 0,0 $width,$((28 * s))" \
        -font Liberation-Sans -pointsize "$pt" -fill '#333333' -annotate "+$((12 * s))+$((60 * s))" "$files" \
        -font DejaVu-Sans-Mono -fill '#1e1e1e' -annotate "+$((280 * s))+$((60 * s))" "$code" \
        -depth 8 "$work/background.png"
    display -window root "$work/background.png" || true
    launch $((1300 * s)) $((500 * s)) "readme.txt" notepad.exe "Z:$work/readme.txt"
    shot textaa

    background -seed 7 plasma:fractal -blur 0x1.2
    launch $((1400 * s)) $((620 * s)) WineMine winemine.exe
    shot photo

    background xc:'#2d5f8b'
    launch $((1560 * s)) $((700 * s)) WineMine winemine.exe
    shot flat
}

for size in 1920x1080 3840x2160; do
    width=${size%x*} height=${size#*x}
    scale=1
    [ "$width" -le 1920 ] || scale=2
    export KESTRIX_WINEPREFIX="$work/prefix-$scale"
    kestrix_wine_env
    kestrix_display_start "$size" "$work"
    "$tools/setup-prefix"
    if [ "$scale" = 2 ]; then
        # 200 % scaling (192 DPI), as such a monitor is normally used.
        printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"LogPixels"=dword:000000c0\n' >"$work/dpi.reg"
        "$KESTRIX_WINE" regedit /S "$work/dpi.reg"
        "$KESTRIX_WINESERVER" -w
    fi
    take_all "$scale"
    kestrix_display_stop
done
