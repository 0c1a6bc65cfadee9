#!/usr/bin/env bash
# Pinned captures end to end under Wine on the two-monitor display, driven with
# xdotool as a user would: pins are made by pin_probe.exe, then dragged, zoomed
# with the wheel and the keys, faded, pushed back onto the desktop and closed in
# every way there is. The probe prints each pin's window (rectangle, layered
# alpha, styles) whenever it changes; screenshots show the pixels. Wine draws
# layered windows opaque, so translucency is checked as the alpha value set.
#   pin_e2e.sh pin_probe.exe WORKDIR
# Uses $DISPLAY when it already has the two-monitor layout, else starts its own.
set -euo pipefail
probe=$1
work=$2
tools="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine" && pwd)"
source "$tools/common.sh"
source "$tools/display.sh"
kestrix_wine_env

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)

probe_pid=
own_display=0
cleanup() {
    [ -z "$probe_pid" ] || { kill "$probe_pid" 2>/dev/null || true; wait "$probe_pid" 2>/dev/null || true; }
    xdotool keyup ctrl 2>/dev/null || true
    if [ "$own_display" = 1 ]; then
        kestrix_wine_stop
        kestrix_display_stop
    fi
}
kestrix_cleanup_on_exit cleanup

passes=0 failures=0
check() {  # check DESCRIPTION EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then
        echo "ok: $1"
        passes=$((passes + 1))
    else
        echo "FAILED: $1: expected '$2', got '$3'"
        failures=$((failures + 1))
    fi
}

kestrix_use_two_monitor_display "$work"
"$tools/setup-prefix"

# (The system adds WS_CLIPSIBLINGS to every top-level window: style 0x94000000.)
# Windows puts its origin at the primary monitor, which X has at 1280,0.
ox=1280 oy=0
move() { xdotool mousemove $(($1 + ox)) $(($2 + oy)); }
# drag FROM_X FROM_Y TO_X TO_Y (Windows coordinates) in a few steps, as a hand would
drag() {
    move "$1" "$2"
    xdotool mousedown 1
    local i
    for i in 1 2 3 4 5; do
        move $(($1 + ($3 - $1) * i / 5)) $(($2 + ($4 - $2) * i / 5))
        sleep 0.05
    done
    xdotool mouseup 1
}
shot() { import -window root -depth 8 "$work/$1.png"; }
pixel() {  # pixel SHOT X Y (Windows coordinates): RRGGBB
    convert "$work/$1.png" -format "%[hex:p{$(($2 + ox)),$(($3 + oy))}]" info: | cut -c1-6
}
colours() {  # colours SHOT X Y W H (Windows coordinates): how many distinct colours the area holds
    convert "$work/$1.png" -crop "${4}x${5}+$(($2 + ox))+$(($3 + oy))" +repage -format %k info:
}

out() { tr -d '\r' <"$work/probe.out"; }
wait_for() {  # wait_for REGEX [SECONDS]: a line of the probe's output
    local i
    for i in $(seq 1 $((${2:-5} * 10))); do
        out | grep -qE "$1" && return 0
        sleep 0.1
    done
    return 1
}
# The latest report of pin N, without its styles: "x,y WxH alpha A".
state() { out | grep -E "^pin $1: " | tail -n1 | sed -E 's/^pin [0-9]+: //; s/ exstyle.*//'; }
# expect_state DESCRIPTION N "x,y WxH alpha A": waits until pin N's latest report is
# that (an earlier identical report does not count), then checks it.
expect_state() {
    local i
    for i in $(seq 1 50); do
        [ "$(state "$2")" = "$3" ] && break
        sleep 0.1
    done
    check "$1" "$3" "$(state "$2")"
}
expect_closed() {
    wait_for "^pin $2 closed" || true
    check "$1" "pin $2 closed" "$(out | grep -E "^pin $2 closed" | head -n1)"
}

shot before
# Pins: 0 the one worked on, 1 made partly off the right edge, 2 too small for a
# close button, 3 on the left monitor, 4 closed with Ctrl+W.
"$KESTRIX_WINE" "$probe" 100,100,300,200 1910,500,200,100 600,600,50,50 -1000,300,120,80 800,100,100,100 \
    >"$work/probe.out" 2>"$work/probe.err" &
probe_pid=$!
wait_for '^ready' 20 || { echo "FAILED: the probe did not start"; out; cat "$work/probe.err"; exit 1; }

check "window class: double clicks, drop shadow, move cursor, no background" \
    "class style 0x20008 cursor sizeall background none" "$(out | grep '^class ')"
check "pin window: layered topmost tool window, visible popup" \
    "exstyle 0x80088 style 0x94000000 visible 1" "$(out | grep '^pin 0: ' | head -n1 | sed 's/.* exstyle/exstyle/')"
check "a new pin has the rectangle's place and size, opaque" "100,100 300x200 alpha 255" "$(state 0)"
check "a pin made off the right edge keeps 28 pixels on the desktop" "1892,500 200x100 alpha 255" "$(state 1)"
check "a pin on the left monitor stays there" "-1000,300 120x80 alpha 255" "$(state 3)"
check "pins do not take the focus" "foreground is a pin: no" "$(out | grep '^foreground')"

# The picture, its frame, no close button while the pointer is elsewhere.
move 1000 900
sleep 0.3
shot initial
check "frame colour at the pin's corner" 555555 "$(pixel initial 100 100)"
check "red quadrant" E03030 "$(pixel initial 150 150)"
check "green quadrant" 30C030 "$(pixel initial 350 150)"
check "blue quadrant" 3030E0 "$(pixel initial 150 250)"
check "checkerboard at zoom 1" "000000 FFFFFF" "$(pixel initial 300 250) $(pixel initial 301 250)"
check "no close button without the pointer" E03030 "$(pixel initial 119 112)"
check "the right-edge pin's frame on screen" 555555 "$(pixel initial 1892 550)"
check "the right-edge pin's picture up to the screen's edge" E03030 "$(pixel initial 1919 540)"

# Hovering shows the close button on a big pin, never on a small one.
move 250 250
sleep 0.4
shot hover
check "close button fill while hovered" 18181C "$(pixel hover 119 112)"
check "close button outline" C8C8C8 "$(pixel hover 119 108)"
check "close button cross" FFFFFF "$(pixel hover 119 119)"
move 625 625
sleep 0.4
shot hover-small
check "the pointer left: the close button goes" E03030 "$(pixel hover-small 119 112)"
check "a 50 x 50 pin has no close button" E03030 "$(pixel hover-small 619 612)"
drag 619 619 659 629
expect_state "a press where a small pin's button would be drags it" 2 "640,610 50x50 alpha 255"

# Dragging.
drag 200 200 350 280
expect_state "dragged by 150,80" 0 "250,180 300x200 alpha 255"

# The wheel zooms about the pointer; Ctrl+wheel fades instead.
move 300 230
sleep 0.2
xdotool click 4
expect_state "wheel up zooms 1.1 about the pointer" 0 "245,175 330x220 alpha 255"
xdotool click 5
expect_state "wheel down zooms back" 0 "250,180 300x200 alpha 255"
xdotool keydown ctrl click 5 keyup ctrl
expect_state "Ctrl+wheel down fades by a tenth, size kept" 0 "250,180 300x200 alpha 230"
# A precision touchpad sends deltas under a notch: they add up to whole steps.
wheel=$(dirname "$probe")/post_wheel.exe
"$KESTRIX_WINE" "$wheel" 300 230 60 >/dev/null 2>&1
sleep 0.5
check "half a notch from a touchpad does nothing yet" "250,180 300x200 alpha 230" "$(state 0)"
"$KESTRIX_WINE" "$wheel" 300 230 60 >/dev/null 2>&1
expect_state "the second half makes one zoom step about the pointer" 0 "245,175 330x220 alpha 230"
xdotool click 5
expect_state "a mouse notch still zooms back at once" 0 "250,180 300x200 alpha 230"

# Keys, once a click has given the pin the focus.
move 400 300
xdotool click 1
sleep 0.3
xdotool key Right Right Right Down Down
expect_state "arrow keys move by single pixels" 0 "253,182 300x200 alpha 230"
xdotool key plus
expect_state "+ zooms in about the centre" 0 "238,172 330x220 alpha 230"
xdotool key 0
expect_state "0 resets the zoom about the centre" 0 "253,182 300x200 alpha 230"
xdotool key minus
expect_state "- zooms out about the centre" 0 "267,191 273x182 alpha 230"
move 1000 900
sleep 0.3
shot shrunk
# The one-pixel checkerboard: smoothing makes greys of it, replication keeps two colours.
smoothed=$(colours shrunk 420 300 20 20)
check "shrunk: the checkerboard is smoothed ($smoothed colours)" yes "$( [ "$smoothed" -gt 2 ] && echo yes || echo no)"
move 400 300
xdotool key 0 KP_Add
expect_state "keypad + zooms in" 0 "238,172 330x220 alpha 230"
move 1000 900
sleep 0.3
shot enlarged
check "enlarged: the checkerboard is replicated, not smoothed" 2 "$(colours enlarged 420 300 20 20)"
move 400 300
xdotool key 0
expect_state "back to zoom 1" 0 "253,182 300x200 alpha 230"
xdotool key bracketleft
expect_state "[ fades by a tenth" 0 "253,182 300x200 alpha 204"
xdotool key bracketright bracketright bracketright
expect_state "] brightens up to opaque and no further" 0 "253,182 300x200 alpha 255"
xdotool key c s w
sleep 0.3
check "C, S and W without Ctrl do nothing" "253,182 300x200 alpha 255" "$(state 0)"

# picture_summary PNG: its size and the colour of each quadrant of the test picture.
picture_summary() {
    local size w h
    size=$(identify -format '%wx%h' "$1" 2>/dev/null || echo none)
    [ "$size" = none ] && { echo none; return; }
    w=${size%x*} h=${size#*x}
    echo "$size $(for p in "$((w / 4)),$((h / 4))" "$((w * 3 / 4)),$((h / 4))" "$((w / 4)),$((h * 3 / 4))"; do
        convert "$1" -format "%[hex:p{$p}]" info: | cut -c1-6
    done | paste -sd' ') $(convert "$1" -crop "4x1+$((w * 3 / 4))+$((h * 3 / 4))" +repage -format %k info:)"
}
expected_picture="300x200 E03030 30C030 3030E0 2"

# Ctrl+C puts the pin's own picture (not its zoomed window) on the clipboard.
xdotool key minus
expect_state "zoomed out before copying" 0 "267,191 273x182 alpha 255"
xdotool key ctrl+c
sleep 0.5
xclip -selection clipboard -t image/png -o >"$work/clipboard.png" 2>/dev/null || true
check "Ctrl+C copies the picture at its own size" "$expected_picture" "$(picture_summary "$work/clipboard.png")"
xdotool key 0
expect_state "back to zoom 1 after copying" 0 "253,182 300x200 alpha 255"

# Ctrl+S asks for a path in a dialog the pin owns and writes the picture there.
xdotool key ctrl+s
dialog=$(timeout 15 xdotool search --sync --onlyvisible --name '^Save screenshot$' | head -n1 || true)
check "Ctrl+S opens the Save dialog" yes "$( [ -n "$dialog" ] && echo yes || echo no)"
if [ -n "$dialog" ]; then
    sleep 0.5  # until it has the keyboard focus
    shot save-dialog
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 20 "Z:${work//\//\\}\\pinned"
    xdotool key Return
    for _ in $(seq 1 50); do [ -s "$work/pinned.png" ] && break; sleep 0.1; done
    sleep 0.3
fi
check "the saved file holds the picture" "$expected_picture" "$(picture_summary "$work/pinned.png")"
check "the pin stays after saving" "253,182 300x200 alpha 255" "$(state 0)"

# Dragged almost off the right edge, it comes back so that 28 pixels show.
drag 263 280 1919 280
expect_state "released near the right edge: 28 pixels stay" 0 "1892,182 300x200 alpha 255"
sleep 0.2
shot pulled-back
check "the pulled-back pin's left edge on screen" 555555 "$(pixel pulled-back 1892 300)"

# Every way of closing.
move 1911 201
sleep 0.3
shot close-hover
check "close button shown on the pulled-back pin" FFFFFF "$(pixel close-hover 1911 201)"
xdotool click 1
expect_closed "the close button closes" 0
move 1900 550
xdotool click --repeat 2 --delay 80 1
expect_closed "a double click closes" 1
move 660 630
xdotool click 3
expect_closed "a right click closes" 2
move -950 340
xdotool click 1
sleep 0.3
xdotool key Escape
expect_closed "Esc closes" 3
move 850 150
xdotool click 1
sleep 0.3
xdotool key w
sleep 0.3
check "W alone leaves the pin open" "" "$(out | grep -E '^pin 4 closed' || true)"
xdotool key ctrl+w
expect_closed "Ctrl+W closes" 4
wait_for '^all pins closed' || true
shot closed
check "every pin gone: the screen is as before" 0 \
    "$(compare -metric AE "$work/before.png" "$work/closed.png" null: 2>&1 || true)"

status=0
for _ in $(seq 1 50); do kill -0 "$probe_pid" 2>/dev/null || break; sleep 0.1; done
wait "$probe_pid" || status=$?
probe_pid=
check "the probe ends once the last pin is closed" 0 "$status"

echo "pin e2e: $passes checks passed, $failures failed"
[ "$failures" -eq 0 ]
