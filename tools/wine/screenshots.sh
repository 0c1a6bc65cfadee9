#!/usr/bin/env bash
# Screenshots of kestrix.exe in other interface languages, to look at: the tray
# menu, the overlay while dragging (hint and size label), the toolbar with a
# tooltip, the Text tool's property row with another, the confirmation toast, About, and the message shown when the hotkey
# is taken. Runs on a private 1920x1080 display with its own Wine prefix, in
# which "Segoe UI" stands for a family that has the language's script (Wine's
# GDI+ follows no font links).
#   tools/wine/screenshots.sh [LANG...]        # default: ja zh-Hans ko ar th hi
#   KESTRIX_SCREENSHOT_DPI=192 tools/wine/screenshots.sh en de ja   # at 200 % (144: 150 %)
# The PNGs go to build/windows/screenshots/LANG-*.png (screenshots-DPI/ at another
# DPI); kestrix.exe is built first.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
source tools/wine/common.sh
source tools/wine/display.sh

languages=("$@")
[ ${#languages[@]} -gt 0 ] || languages=(ja zh-Hans ko ar th hi)

# The family that stands in for "Segoe UI": the script and Latin letters in one font.
ui_font_for() {
    case "$1" in
        ja) echo "Noto Sans CJK JP" ;;
        zh-Hans) echo "Noto Sans CJK SC" ;;
        zh-Hant) echo "Noto Sans CJK TC" ;;
        ko) echo "Noto Sans CJK KR" ;;
        ar) echo "DejaVu Sans" ;;
        th) echo "Loma" ;;
        hi) echo "FreeSans" ;;
        *) echo "Liberation Sans" ;;
    esac
}

# Menus, message boxes and captions use the system's Tahoma, which on Windows has
# Thai; Wine's own Tahoma has not, and Wine links no Thai font to it (the glyphs
# stay boxes whatever SystemLink holds). For Thai the prefix's system fonts are
# set to a family with Thai, as a Thai Windows shows them.
system_font_for() {
    case "$1" in
        th) echo "Loma" ;;
    esac
}

# The prefix's menu, message, status and caption fonts: FACE at Wine's usual size,
# or Wine's own without FACE.
set_system_fonts() {  # set_system_fonts [FACE]
    local name weight logfont
    for name in MenuFont MessageFont StatusFont CaptionFont SmCaptionFont; do
        if [ -z "${1:-}" ]; then
            "$KESTRIX_WINE" reg delete 'HKCU\Control Panel\Desktop\WindowMetrics' /v "$name" /f >/dev/null 2>&1 || true
            continue
        fi
        case $name in *Caption*) weight=700 ;; *) weight=400 ;; esac
        # LOGFONTW: height -11, weight, default charset, the face in UTF-16, 92 bytes.
        logfont=$(python3 -c 'import struct, sys
face = sys.argv[2].encode("utf-16-le")[:62]
print(struct.pack("<5l8B64s", -11, 0, 0, 0, int(sys.argv[1]), 0, 0, 0, 1, 0, 0, 0, 0, face).hex())' "$weight" "$1")
        "$KESTRIX_WINE" reg add 'HKCU\Control Panel\Desktop\WindowMetrics' /v "$name" /t REG_BINARY /d "$logfont" /f \
            >/dev/null 2>&1
    done
}

tools/install-packages.sh screenshots
tools/build-mingw-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j"${KESTRIX_JOBS:-2}" --target kestrix hold_hotkey
exe=$PWD/build/windows/kestrix.exe
hold_hotkey=$(find "$PWD/build/windows" -name hold_hotkey.exe -print -quit)

dpi=${KESTRIX_SCREENSHOT_DPI:-96}
suffix=
[ "$dpi" = 96 ] || suffix="-$dpi"
out=$PWD/build/windows/screenshots$suffix
mkdir -p "$out"
export KESTRIX_WINEPREFIX="$PWD/build/windows/wine-prefix-screenshots$suffix"
kestrix_wine_env

app_pid= holder_pid=
stop_app() {
    for pid in $app_pid $holder_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    app_pid= holder_pid=
    "$KESTRIX_WINESERVER" -k 2>/dev/null || true
    "$KESTRIX_WINESERVER" -w 2>/dev/null || true
}
cleanup() {
    stop_app
    kestrix_display_stop
}
kestrix_cleanup_on_exit cleanup

kestrix_display_start one "$out/display"
tools/wine/setup-prefix
[ "$dpi" = 96 ] || kestrix_set_logpixels "$dpi"
# Something to look at behind the dimmed overlay.
convert -size 1920x1080 gradient:'#2b5876-#4e4376' "$out/display/background.png"
# display returns 1 here even when the background is set.
display -window root "$out/display/background.png" 2>/dev/null || true

shot() { import -window root "$out/display/screen.png"; }
crop() {  # crop NAME WxH+X+Y
    convert "$out/display/screen.png" -crop "$2" +repage "$out/$1.png"
    echo "[screenshots] $out/$1.png"
}

# The tray icon's centre (root coordinates), found by its dark-theme green.
icon_x= icon_y=
find_icon() {
    local tray geometry tx ty box
    for _ in $(seq 1 300); do
        tray=$(xdotool search --onlyvisible --name '^Wine System Tray$' 2>/dev/null | head -n1 || true)
        if [ -n "$tray" ]; then
            geometry=$(xwininfo -id "$tray" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}')
            read -r tx ty <<<"$geometry"
            import -window "$tray" -depth 8 "$out/display/tray.png" 2>/dev/null || true
            box=$(convert "$out/display/tray.png" txt:- 2>/dev/null | grep -F "(63,197,99)" |
                awk -F'[,:]' '{x+=$1; y+=$2; n++} END {if (n) print int(x / n), int(y / n)}')
            if [ -n "$box" ]; then
                read -r icon_x icon_y <<<"$box"
                icon_x=$((tx + icon_x)) icon_y=$((ty + icon_y))
                return 0
            fi
        fi
        sleep 0.2
    done
    echo "[screenshots] no tray icon appeared" >&2
    return 1
}

# The bounding box "x0 y0 x1 y1" of pixels of one colour inside WxH+X+Y of the last shot.
colour_box() {  # colour_box R,G,B WxH+X+Y
    local x y
    x=$(cut -d+ -f2 <<<"$2") y=$(cut -d+ -f3 <<<"$2")
    convert "$out/display/screen.png" -crop "$2" +repage txt:- 2>/dev/null | grep -F "($1)" |
        awk -F'[,:]' -v ox="$x" -v oy="$y" '{px=$1+ox; py=$2+oy
            if (n++ == 0) {x0=x1=px; y0=y1=py}
            if (px<x0) x0=px; if (px>x1) x1=px; if (py<y0) y0=py; if (py>y1) y1=py}
            END {if (n > 50) print x0, y0, x1, y1}'
}

pixel() { convert "$out/display/screen.png" -format "%[hex:p{$1,$2}]" info:; }

# Opens the tray menu at the icon; a click that comes too early is lost, so the
# menu's white is looked for beside the pointer and the click repeated.
open_menu() {
    for _ in 1 2 3 4; do
        xdotool mousemove "$icon_x" "$icon_y" click 1
        sleep 1.5
        shot
        [ "$(pixel $((icon_x + 60)) $((icon_y + 60)))" = FFFFFF ] && return 0
        xdotool key Escape
        sleep 1
    done
    echo "[screenshots] the tray menu did not open" >&2
    return 1
}

press_hotkey() {
    # Wine delivers the hotkey only while one of its windows is under the pointer.
    xdotool mousemove "$icon_x" "$icon_y"
    sleep 0.3
    xdotool key ctrl+alt+a
}

# Selection used for the overlay shots, in root coordinates.
sel_x0=700 sel_y0=300 sel_x1=1180 sel_y1=620

take_language() {
    local lang=$1 dir="$out/display/$lang" toolbar
    mkdir -p "$dir"
    cp -f "$exe" "$dir/kestrix.exe"
    printf 'language = "%s"\n' "$lang" >"$dir/kestrix.toml"
    "$KESTRIX_WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Segoe UI' /d "$(ui_font_for "$lang")" /f \
        >/dev/null 2>&1

    set_system_fonts "$(system_font_for "$lang")"

    (cd "$dir" && exec "$KESTRIX_WINE" ./kestrix.exe "$KESTRIX_QUIET_START" >"$dir/out.txt" 2>&1) &
    app_pid=$!
    find_icon || return 1

    # The tray menu, opened where the icon is.
    open_menu && crop "$lang-menu" 480x340+0+0
    xdotool key Escape
    sleep 0.5

    # The overlay: the hint, then a drag with its size label.
    press_hotkey
    sleep 4
    xdotool mousemove "$sel_x0" "$sel_y0" mousedown 1
    xdotool mousemove $(((sel_x0 + sel_x1) / 2)) $(((sel_y0 + sel_y1) / 2))
    xdotool mousemove "$sel_x1" "$sel_y1"
    sleep 1.5
    shot
    crop "$lang-overlay" 1920x1080+0+0
    xdotool mouseup 1
    sleep 1.5

    # The toolbar (its light panel below the selection) and the first tool's tooltip.
    shot
    toolbar=$(colour_box 244,244,247 "1920x240+0+$sel_y1")
    if [ -n "$toolbar" ]; then
        local tx0 ty0 tx1 ty1
        read -r tx0 ty0 tx1 ty1 <<<"$toolbar"
        # The crops: 40 pixels around the selection and the toolbar, inside the screen.
        local cx=$((tx0 > 40 ? tx0 - 40 : 0)) cw=$(((tx1 > sel_x1 ? tx1 : sel_x1) + 40))
        cw=$(((cw > 1920 ? 1920 : cw) - cx))
        xdotool mousemove $((tx0 + 10)) $(((ty0 + ty1) / 2))
        sleep 0.3
        xdotool mousemove $((tx0 + 18)) $(((ty0 + ty1) / 2))
        sleep 1.5
        shot
        crop "$lang-toolbar" "${cw}x$((ty1 - sel_y0 + 90))+$cx+$((sel_y0 - 20))"
        # The Text tool chosen by its key: its property row, and the Background switch's tooltip.
        xdotool key t
        sleep 0.5
        # (423 and 55 pixels from the toolbar's corner at 100 %.)
        xdotool mousemove $((tx0 + (423 + 10) * dpi / 96)) $((ty0 + (55 + 24) * dpi / 96))
        sleep 0.3
        xdotool mousemove $((tx0 + (423 + 16) * dpi / 96)) $((ty0 + (55 + 24) * dpi / 96))
        sleep 1.5
        shot
        crop "$lang-toolbar-text" "${cw}x$((ty1 - sel_y0 + 150 * dpi / 96))+$cx+$((sel_y0 - 20))"
    else
        echo "[screenshots] $lang: no toolbar found below the selection" >&2
    fi

    # Enter copies; the toast shows for about a second under the selection. Only
    # that strip is grabbed, to be quick enough for it.
    xdotool key Return
    local strip="900x200+$((sel_x0 - 210))+$sel_y1" found=
    for _ in $(seq 1 12); do
        sleep 0.1
        import -window root -crop "$strip" +repage "$out/display/strip.png"
        found=$(convert "$out/display/strip.png" txt:- 2>/dev/null | grep -cF "(26,26,26)" || true)
        [ "${found:-0}" -gt 200 ] && break
    done
    if [ "${found:-0}" -gt 200 ]; then
        cp "$out/display/strip.png" "$out/$lang-toast.png"
        echo "[screenshots] $out/$lang-toast.png"
    else
        echo "[screenshots] $lang: the toast was not caught on screen" >&2
    fi
    sleep 1

    # About: the second item from the bottom of the menu, whose last white row is
    # found in a column near the pointer (items are 18 pixels high).
    if open_menu; then
        local bottom
        bottom=$(convert "$out/display/screen.png" -crop "1x300+$((icon_x + 5))+$icon_y" +repage txt:- 2>/dev/null |
            grep -F '#FFFFFF' | awk -F'[,:]' '{y=$2} END {print y}')
        xdotool mousemove $((icon_x + 40)) $((icon_y + ${bottom:-0} - 25)) click 1
    fi
    sleep 3
    shot
    crop "$lang-about" 1000x600+460+240
    xdotool key Return
    sleep 1
    stop_app

    # The message shown when another program holds the hotkey.
    if [ -n "$hold_hotkey" ]; then
        "$KESTRIX_WINE" "$hold_hotkey" 60 >"$dir/hold.txt" 2>&1 &
        holder_pid=$!
        for _ in $(seq 1 100); do grep -q held "$dir/hold.txt" 2>/dev/null && break; sleep 0.2; done
        (cd "$dir" && exec "$KESTRIX_WINE" ./kestrix.exe "$KESTRIX_QUIET_START" >>"$dir/out.txt" 2>&1) &
        app_pid=$!
        sleep 8
        shot
        crop "$lang-message" 1000x400+460+340
        stop_app
    fi
}

for lang in "${languages[@]}"; do
    echo "== $lang ($(ui_font_for "$lang"))"
    take_language "$lang" || echo "[screenshots] $lang: stopped early" >&2
    stop_app
done
