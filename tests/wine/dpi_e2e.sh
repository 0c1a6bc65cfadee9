#!/usr/bin/env bash
# kestrix.exe at 100, 200 and 150 % under Wine, driven with xdotool as a user would,
# on a private 1920x1080 display. Wine gives every monitor the DPI of its prefix's
# LogPixels, so each scale runs in a prefix of its own (a copy of the ready one with
# LogPixels set). Every run measures in screenshots and window rectangles: the
# magnifier, the toolbar, its property row, a tooltip, the send panel, the toast and
# Settings; it draws a rectangle and reads the clipboard back. The scaled runs must
# measure twice (1.5 times) what the 100 % run measured, the rectangle's stroke in
# the clipboard PNG included, and the clipboard's PNG and DIB must state 192 (144)
# DPI. Each run is inside a network namespace with only loopback, so the send panel
# opens in its "not on a network" state and nothing is served.
#   dpi_e2e.sh kestrix.exe BINDIR WORKDIR
# BINDIR holds the probes (road_watch, clipboard_read, window_texts, close_window,
# post_broadcast). Screenshots of every step are left in WORKDIR. Needs root for
# `unshare -n`.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine/e2e.sh" "$1" "$2" "$3"

dpi=${KESTRIX_DPI_RUN:-}

# --- the outer run: display, prefixes, one namespace per scale, the comparisons ------
if [ -z "$dpi" ]; then
    kestrix_fresh_work
    if ! unshare -n true 2>/dev/null; then
        echo "dpi e2e: cannot make a network namespace ('unshare -n' needs root or CAP_SYS_ADMIN)"
        exit 1
    fi
    base_prefix=$WINEPREFIX
    own_display=1
    cleanup() {
        kestrix_wine_stop
        WINEPREFIX=$base_prefix kestrix_wine_stop
        release_own_display
    }
    kestrix_cleanup_on_exit cleanup
    kestrix_wine_stop  # a wineserver bound to another display must not serve this one
    kestrix_display_start one "$work/display"
    "$tools/setup-prefix"
    kestrix_wine_stop

    status=0
    for run in 96 192 144; do
        prefix=$base_prefix
        if [ "$run" != 96 ]; then
            prefix="$work/prefix-$run"
            kestrix_copy_prefix "$base_prefix" "$prefix"
            WINEPREFIX=$prefix kestrix_set_logpixels "$run"
        fi
        KESTRIX_DPI_RUN=$run KESTRIX_WINEPREFIX=$prefix unshare -n bash "${BASH_SOURCE[0]}" "$kestrix_exe" "$bin" "$work" ||
            status=1
        WINEPREFIX=$prefix kestrix_wine_stop
        [ "$run" = 96 ] || rm -rf "$prefix"
    done

    # The scaled runs against the 100 % one.
    value() { sed -n "s/^$2 //p" "$work/$1.sizes" 2>/dev/null; }  # value RUN NAME
    # exactly: every geometric size at 100 % times the scale (to the pixel, for rounding)
    exactly() {  # exactly RUN FACTOR_PERCENT NAME...
        local run=$1 factor=$2 name base got want d
        shift 2
        for name in "$@"; do
            base=$(value 96 "$name") got=$(value "$run" "$name")
            if [ -z "$base" ] || [ -z "$got" ]; then check "$name at $run DPI" "measured" "missing (100 %: '$base', now: '$got')"; continue; fi
            want=$((base * factor / 100)) d=$((got - want))
            if [ "${d#-}" -le 1 ]; then check "$name at $run DPI: $factor % of $base" yes yes; else check "$name at $run DPI" "$want" "$got"; fi
        done
    }
    # about: sizes that hold text, whose fonts do not scale to the exact pixel (within 8 %, at least 3)
    about() {  # about RUN FACTOR_PERCENT NAME...
        local run=$1 factor=$2 name base got want d slack
        shift 2
        for name in "$@"; do
            base=$(value 96 "$name") got=$(value "$run" "$name")
            if [ -z "$base" ] || [ -z "$got" ]; then check "$name at $run DPI" "measured" "missing (100 %: '$base', now: '$got')"; continue; fi
            want=$((base * factor / 100)) d=$((got - want)) slack=$((want * 8 / 100 > 3 ? want * 8 / 100 : 3))
            if [ "${d#-}" -le "$slack" ]; then check "$name at $run DPI: about $factor % of $base ($got)" yes yes; else check "$name at $run DPI (about)" "$want" "$got"; fi
        done
    }
    geometric=(magnifier_width magnifier_height magnifier_offset toolbar_width toolbar_height property_width toolbar_total_height
        stroke send_client_width send_client_height send_line_height send_button_width send_button_height)
    textual=(tooltip_width tooltip_height toast_width toast_height settings_client_width settings_client_height)
    exactly 192 200 "${geometric[@]}"
    about 192 200 "${textual[@]}"
    exactly 144 150 "${geometric[@]}"
    about 144 150 "${textual[@]}"
    for run in 96 192 144; do
        check "the clipboard PNG states $run DPI" "$(python3 -c "print(round($run / 0.0254), round($run / 0.0254))") unit 1" \
            "$(value "$run" png_phys)"
        check "the clipboard DIB states $run DPI" "$(python3 -c "print(round($run / 0.0254), round($run / 0.0254))")" \
            "$(value "$run" dib_ppm)"
    done
    passed=$(cat "$work"/*.passed 2>/dev/null | awk '{s += $1} END {print s + 0}')
    failed=$(cat "$work"/*.failed 2>/dev/null | awk '{s += $1} END {print s + 0}')
    for run in 96 192 144; do [ -f "$work/$run.passed" ] || status=1; done
    echo "dpi e2e: $((passed + passes)) checks passed, $((failed + failures)) failed"
    [ "$status" = 0 ] && [ "$failed" = 0 ] && [ "$failures" = 0 ]
    exit
fi

# --- one scale, inside its namespace ------------------------------------------------
ip link set lo up
scale=$((dpi * 100 / 96))
px() { echo $(($1 * scale / 100)); }  # a size at 100 % at this run's scale
echo "== $dpi DPI ($scale %)"

app_pid= watch_pid=
sizes=$work/$dpi.sizes
: >"$sizes"
measured() { echo "$1 $2" >>"$sizes"; echo "    $1 $2"; }  # measured NAME VALUE
finish_run() {
    stop_pid "$watch_pid"
    stop_pid "$app_pid"
    kestrix_wine_stop
    echo "$passes" >"$work/$dpi.passed"
    echo "$failures" >"$work/$dpi.failed"
}
kestrix_cleanup_on_exit finish_run

origin=0
road_prefix="$dpi-"
source "$tools/road.sh"
shot() { import -window root -depth 8 "$work/$dpi-$1.png"; }
# The bounding box "x0 y0 x1 y1" (root coordinates) of the pixels of SHOT inside
# WxH+X+Y that match a colour (within FUZZ, 0 % by default).
colour_box() {  # colour_box SHOT R,G,B WxH+X+Y [FUZZ]
    local x y
    x=$(cut -d+ -f2 <<<"$3") y=$(cut -d+ -f3 <<<"$3")
    convert "$work/$dpi-$1.png" -crop "$3" +repage -fuzz "${4:-0}%" -fill black +opaque "rgb($2)" \
        -fill white -opaque "rgb($2)" -trim -format '%X %Y %w %h' info: 2>/dev/null | tr -d '+' |
        awk -v ox="$x" -v oy="$y" 'NF == 4 && !($3 == 1 && $4 == 1) {print ox + $1, oy + $2, ox + $1 + $3 - 1, oy + $2 + $4 - 1}'
}
# The same for dark pixels (every channel below 70): the tooltip, whatever shows through it.
dark_box() {  # dark_box SHOT WxH+X+Y
    local x y
    x=$(cut -d+ -f2 <<<"$2") y=$(cut -d+ -f3 <<<"$2")
    convert "$work/$dpi-$1.png" -crop "$2" +repage -fx '(r < 0.275 && g < 0.275 && b < 0.275) ? 0 : 1' \
        -negate -trim -format '%X %Y %w %h' info: 2>/dev/null | tr -d '+' |
        awk -v ox="$x" -v oy="$y" 'NF == 4 && !($3 == 1 && $4 == 1) {print ox + $1, oy + $2, ox + $1 + $3 - 1, oy + $2 + $4 - 1}'
}
box_size() { awk '{print $3 - $1 + 1, $4 - $2 + 1}'; }  # "x0 y0 x1 y1" -> "w h"

# A flat background: the zoom shows it undimmed, the dim shows it darker; neither
# is mistaken for the chrome's greys.
convert -size 1920x1080 "xc:rgb(200,100,50)" -depth 8 "$work/background.png"
display -window root "$work/background.png" || true  # exits with 1 even when it worked

mkdir -p "$work/$dpi/app" "$work/$dpi/save"
cp "$kestrix_exe" "$work/$dpi/app/kestrix.exe"
cat >"$work/$dpi/app/kestrix.toml" <<'TOML'
hotkey = "Ctrl+Alt+A"
overlay_dim_percent = 45
show_confirmation = true
language = "en"
transfer_enabled = true
show_tray_icon = true
check_for_updates = false
TOML
(cd "$work/$dpi/save" && exec "$KESTRIX_WINE" "$work/$dpi/app/kestrix.exe") >"$work/$dpi-kestrix.out" 2>&1 &
app_pid=$!
find_icon || { echo "FAILED: no tray icon"; exit 1; }

# --- the magnifier ----------------------------------------------------------------
watch capture 120000 --until "toast gone"
press_hotkey
await "overlay shown" 1 15 || true
cursor_x=600 cursor_y=300
xdotool mousemove $((cursor_x - 5)) $((cursor_y - 5))
sleep 0.3
xdotool mousemove "$cursor_x" "$cursor_y"
sleep 1
shot magnifier
# Its fill shows around the zoom and the text lines: the panel's right, bottom and left edges.
read -r mx0 my0 mx1 my1 < <(colour_box magnifier 34,34,34 "700x700+$cursor_x+$cursor_y") || true
if [ -n "${mx1:-}" ]; then
    measured magnifier_width $((mx1 - mx0 + 1))
    measured magnifier_offset $((mx0 - cursor_x))
    measured magnifier_height $((my1 - cursor_y - (mx0 - cursor_x) + 1))
else
    check "the magnifier is on screen" found none
fi

# --- the toolbar, its property row and a tooltip ------------------------------------
sel_x0=200 sel_y0=150 sel_x1=1399 sel_y1=649  # 1200 x 500: room for the toolbar at 200 %
drag "$sel_x0" "$sel_y0" "$sel_x1" "$sel_y1"
xdotool mousemove 960 1000
sleep 1
shot toolbar
read -r tx0 ty0 tx1 ty1 < <(colour_box toolbar 244,244,247 "1920x420+0+$sel_y1") || true
if [ -z "${ty1:-}" ]; then
    check "the toolbar is on screen" found none
    exit 1
fi
read -r w h < <(box_size <<<"$tx0 $ty0 $tx1 $ty1")
measured toolbar_width "$w"
measured toolbar_height "$h"
check "the toolbar is right-aligned with the selection, $(px 10) pixels below it" "$((sel_x1 + 1)) $((sel_y1 + 1 + $(px 10)))" \
    "$((tx1 + 1)) $ty0"

# The Rectangle tool (the first button), then the pointer rests on it for its tooltip.
rect_x=$((tx0 + $(px 24))) rect_y=$((ty0 + $(px 24)))
xdotool mousemove "$rect_x" "$rect_y" click 1
sleep 0.3
xdotool mousemove $((rect_x + 1)) "$rect_y"
sleep 1.2
shot tooltip
read -r px0 py0 px1 py1 < <(colour_box tooltip 244,244,247 "1920x420+0+$sel_y1") || true
read -r w h < <(box_size <<<"$px0 $py0 $px1 $py1")
measured toolbar_total_height "$h"
# The property row's own width: the light pixels of its middle line.
row_y=$((py1 - $(px 24)))
read -r rx0 _ rx1 _ < <(colour_box tooltip 244,244,247 "1920x3+0+$((row_y - 1))") || true
measured property_width $((rx1 - rx0 + 1))
# The tooltip under the Rectangle button, over the gap and the property row.
read -r kx0 ky0 kx1 ky1 < <(dark_box tooltip "$(px 300)x$(px 60)+$((tx0 - $(px 100)))+$((ty0 + $(px 40)))") || true
if [ -n "${ky1:-}" ]; then
    read -r w h < <(box_size <<<"$kx0 $ky0 $kx1 $ky1")
    measured tooltip_width "$w"
    measured tooltip_height "$h"
else
    check "a tooltip under the Rectangle button" found none
fi

# --- a rectangle, sent: the clipboard and the send panel ----------------------------
mark_x0=400 mark_y0=300 mark_x1=700 mark_y1=500
drag "$mark_x0" "$mark_y0" "$mark_x1" "$mark_y1"
# Send is the fourth button from the right, before Save, Cancel and Copy: at 100 %
# its centre is 141 pixels left of the toolbar's right edge, whatever tools come first.
xdotool mousemove $((tx1 + 1 - $(px 141))) $((ty0 + $(px 24))) click 1
await "send panel shown" 1 15 || true
sleep 1
shot send-panel
clipboard sent
measured png_phys "$(clip sent 'png pHYs')"
measured dib_ppm "$(clip sent 'dib pixels per metre')"
check "the clipboard holds the 1200 x 500 selection" "1200x500" "$(clip sent png)"
# The rectangle's left stroke, across the middle row of the mark: red pixels in a row.
stroke=$(convert "$work/$dpi-sent/clip.png" -crop "60x1+$((mark_x0 - sel_x0 - 30))+$(((mark_y0 + mark_y1) / 2 - sel_y0))" \
    +repage -fuzz 10% -fill black +opaque '#E53935' -fill white -opaque '#E53935' -format '%[fx:int(mean*w+.5)]' info: 2>/dev/null)
measured stroke "$stroke"

panel=$(texts --client "Send to a device")
echo "$panel" | sed 's/^/    /'
read -r cw ch < <(grep '^client|' <<<"$panel" | head -n1 | cut -d'|' -f3 | awk -F, '{print $3 - $1, $4 - $2}') || true
measured send_client_width "${cw:-0}"
measured send_client_height "${ch:-0}"
read -r lh < <(grep '^  Static|' <<<"$panel" | head -n1 | cut -d'|' -f3 | awk -F, '{print $4 - $2}') || true
measured send_line_height "${lh:-0}"
read -r bw bh < <(grep -F '  Button|Stop|' <<<"$panel" | head -n1 | cut -d'|' -f3 | awk -F, '{print $3 - $1, $4 - $2}') || true
measured send_button_width "${bw:-0}"
measured send_button_height "${bh:-0}"

# Esc closes the panel; the capture ends as copied, with its toast.
xdotool key Escape
await "toast shown" 1 10 || true
shot toast
read -r _ tsize < <(toast_place) || true
measured toast_width "${tsize%x*}"
measured toast_height "${tsize#*x}"
await "toast gone" 1 10 || true
watch_end

# --- Settings: a second start asks the first to open it ------------------------------
(cd "$work/$dpi/save" && exec "$KESTRIX_WINE" "$work/$dpi/app/kestrix.exe") >/dev/null 2>&1 || true
settings=
for _ in $(seq 1 100); do
    settings=$(texts --client "Kestrix Settings")
    grep -q '^client|' <<<"$settings" && break
    sleep 0.1
done
sleep 0.8
shot settings
read -r cw ch < <(grep '^client|' <<<"$settings" | head -n1 | cut -d'|' -f3 | awk -F, '{print $3 - $1, $4 - $2}') || true
measured settings_client_width "${cw:-0}"
measured settings_client_height "${ch:-0}"
# Nothing of it runs past the client area: the Done button is inside.
read -r done_bottom < <(grep -F '  Button|Done|' <<<"$settings" | head -n1 | cut -d'|' -f3 | cut -d, -f4) || true
read -r client_bottom < <(grep '^client|' <<<"$settings" | head -n1 | cut -d'|' -f3 | cut -d, -f4) || true
check "Done is inside Settings' client area" yes "$([ "${done_bottom:-1}" -le "${client_bottom:-0}" ] && echo yes || echo "no: ${done_bottom:-none} > ${client_bottom:-none}")"
wine "$bin/close_window.exe" "Kestrix Settings" >/dev/null 2>&1 || true
sleep 0.5
wine "$bin/post_broadcast.exe" Kestrix.Quit >/dev/null 2>&1 || true
wait_for_exit "$app_pid" 10
check "kestrix.exe quits" 0 "$exit_status"
app_pid=
