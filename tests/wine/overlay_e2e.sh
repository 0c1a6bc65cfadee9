#!/usr/bin/env bash
# End to end under Wine on the two-monitor display (primary 1920x1080 at 0,0, a
# 1280x1024 monitor left of it): the region overlay is opened by a probe on a
# known desktop picture and driven with xdotool as a user would. Screenshots of
# every step are kept in WORKDIR; their pixels and the probe's outcome are checked.
#   overlay_e2e.sh overlay_probe.exe WORKDIR
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

if [ -f "$tools/checks.sh" ]; then
    source "$tools/checks.sh"
else
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
    checks_summary() {
        echo "$1: $passes checks passed, $failures failed"
        [ "$failures" -eq 0 ]
    }
fi

probe_pid=
own_display=0
cleanup() {
    if [ -n "$probe_pid" ]; then
        kill "$probe_pid" 2>/dev/null || true
        wait "$probe_pid" 2>/dev/null || true
    fi
    if [ "$own_display" = 1 ]; then
        kestrix_wine_stop
        kestrix_display_stop
    fi
}
kestrix_cleanup_on_exit cleanup

kestrix_use_two_monitor_display "$work"
"$tools/setup-prefix"

# X root coordinates are the overlay's client coordinates: the desktop starts at
# -1280, so desktop x = root x - 1280.
origin_x=-1280
primary=200,100,50   # the primary monitor's background
left=60,120,180      # the left monitor's
window=30,160,90     # the probe's own window, offered for snapping
convert -size 3200x1080 xc:"rgb($primary)" -fill "rgb($left)" -draw 'rectangle 0,0 1279,1079' \
    -depth 8 "$work/background.png"
display -window root "$work/background.png" || true  # exits with 1 even when it worked

# --- helpers -------------------------------------------------------------------
shot() { import -window root -depth 8 "$work/$1.png"; }
pixel() {  # pixel SHOT X Y -> r,g,b
    convert "$work/$1.png" -format "%[fx:int(255*p{$2,$3}.r+.5)],%[fx:int(255*p{$2,$3}.g+.5)],%[fx:int(255*p{$2,$3}.b+.5)]" info:
}
# Pixels of a colour (within 8 %) in a region of a shot: count SHOT WxH+X+Y R,G,B
count() {
    convert "$work/$1.png" -crop "$2" +repage -fuzz 8% -fill white -opaque "rgb($3)" -fill black +opaque white \
        -format '%[fx:int(mean*w*h+.5)]' info:
}
# Pixels that differ between two shots in a region: changed SHOT1 SHOT2 WxH+X+Y
changed() {
    convert "$work/$1.png" -crop "$3" +repage "$work/a.png"
    convert "$work/$2.png" -crop "$3" +repage "$work/b.png"
    compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 || true
}
# Each channel of `value` times (255 - alpha) / 255 with alpha = percent x 255 / 100, to +-2.
dimmed_ok() {  # dimmed_ok R,G,B PERCENT ACTUAL -> yes/no
    local alpha=$(($2 * 255 / 100)) IFS=,
    local -a want=($1) got=($3)
    for i in 0 1 2; do
        local expected=$((want[i] * (255 - alpha) / 255))
        local d=$((got[i] - expected))
        [ "${d#-}" -le 2 ] || { echo "no ($3, want about $expected for channel $i)"; return; }
    done
    echo yes
}
at_least() {  # at_least DESCRIPTION MINIMUM ACTUAL
    if [ "$3" -ge "$2" ] 2>/dev/null; then check "$1" yes yes; else check "$1" ">= $2" "$3"; fi
}

run=
start_probe() {  # start_probe NAME [probe options]: waits until the overlay has painted
    run=$1
    shift
    "$tools/run-exe" "$probe" "$@" >"$work/$run.raw" 2>"$work/$run.err" &
    probe_pid=$!
    for _ in $(seq 1 200); do
        grep -q '^ready' "$work/$run.raw" 2>/dev/null && { sleep 0.3; return 0; }
        kill -0 "$probe_pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "FAILED: the overlay of '$run' did not come up"
    cat "$work/$run.raw" "$work/$run.err"
    return 1
}
finish_probe() {  # waits for the probe to end (up to 30 s); its output goes to $work/$run.out
    for _ in $(seq 1 300); do
        kill -0 "$probe_pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$probe_pid" 2>/dev/null; then
        echo "FAILED: the overlay of '$run' is still open"
        kill "$probe_pid" 2>/dev/null || true
    fi
    wait "$probe_pid" 2>/dev/null || true
    probe_pid=
    tr -d '\r' <"$work/$run.raw" >"$work/$run.out"
}
outcome() { grep '^outcome:' "$work/$run.out" | sed 's/^outcome: //'; }
field() { outcome | sed -E "s/.* $1 ([^ ]+).*/\1/"; }  # field NAME: the word after NAME
press() { xdotool key "$@"; sleep 0.25; }
move() { xdotool mousemove "$1" "$2"; sleep 0.25; }
click_at() { xdotool mousemove "$1" "$2" click 1; sleep 0.3; }
drag() {  # drag X1 Y1 X2 Y2
    xdotool mousemove "$1" "$2" mousedown 1
    sleep 0.1
    xdotool mousemove $((($1 + $3) / 2)) $((($2 + $4) / 2))
    sleep 0.1
    xdotool mousemove "$3" "$4"
    sleep 0.15
    xdotool mouseup 1
    sleep 0.3
}

# Toolbar geometry: buttons 32 wide every 39 from 8, the ten tools (rectangle,
# ellipse, arrow, line, pen, highlighter, mosaic, redact, text, number) then undo,
# and after a second gap backdrop, pin, save, cancel, copy; the main panel is 651 wide.
tool_x() { echo $((8 + 39 * $1 + 16)); }
undo_x=$((407 + 16)) backdrop_x=$((455 + 16)) copy_x=$((611 + 16))
tb_width=651
# Right-aligned with a selection on the primary monitor that ends at desktop x RIGHT,
# but not left of that monitor: its root x.
toolbar_left() { local x=$(($1 - tb_width)); echo $((1280 + (x > 0 ? x : 0))); }
swatch_x() { echo $((8 + 35 * $1 + 14)); }

# --- 0: the capture steps that fail without a system call -----------------------
"$tools/run-exe" "$probe" --no-frame >"$work/no-frame.raw" 2>"$work/no-frame.err" || true
check "a desktop of no area reads as a failed capture" \
    "capture without monitors: The capture failed: virtual desktop has zero area" \
    "$(tr -d '\r' <"$work/no-frame.raw" | grep '^capture without')"
check "a frame without its tile reads as a failed capture" \
    "overlay without a tile: The capture failed: expected one desktop-wide tile" \
    "$(tr -d '\r' <"$work/no-frame.raw" | grep '^overlay without')"

# --- 1: hover, click, the tools, history, backdrop, copy ------------------------
start_probe tools --dim 45 --window 200,150,400,300 --out "Z:$work/tools.png"
check "overlay covers both monitors from the desktop origin" "window -1280,0 3200x1080" \
    "$(sed -nE 's/^ready: (window [^ ]+ [^ ]+).*/\1/p' "$work/$run.raw" | tr -d '\r')"
move 300 900
shot idle
check "primary monitor dimmed by 45 %" yes "$(dimmed_ok $primary 45 "$(pixel idle 2800 900)")"
check "hovering the bare left monitor highlights it undimmed" "$left" "$(pixel idle 1000 600)"
check "hint box on the primary monitor" "26,26,26" "$(pixel idle 2240 91)"
move 2200 950  # over the primary's bare desktop: the whole monitor is highlighted
shot primary-highlighted
check "the hint stays on top of a highlighted monitor" "26,26,26" "$(pixel primary-highlighted 2240 91)"

move 1680 300  # over the probe's window: desktop (400, 300)
shot hover
check "hovered window shown undimmed" "$window" "$(pixel hover 1600 200)"
check "highlight border left of the window" "74,158,46" "$(pixel hover 1479 300)"
check "the rest of the primary stays dimmed" yes "$(dimmed_ok $primary 45 "$(pixel hover 2800 900)")"
check "left monitor dimmed by 45 %" yes "$(dimmed_ok $left 45 "$(pixel hover 100 1000)")"
check "no hint on the left monitor" yes "$(dimmed_ok $left 45 "$(pixel hover 640 91)")"
check "magnifier shows the window's pixels enlarged" "$window" "$(pixel hover $((1680 + 18 + 20)) $((300 + 18 + 20)))"

click_at 1680 300
shot selected
# Toolbar right-aligned with the selection (desktop 200..600) as far as the primary
# monitor allows, and 10 below it.
tb_x=$(toolbar_left 600) tb_y=$((150 + 300 + 10))
check "toolbar below the selection" "244,244,247" "$(pixel selected $((tb_x + 3)) $((tb_y + 3)))"
check "selection stays undimmed" "$window" "$(pixel selected 1600 200)"
# A quick double click on a tool button is two presses: the tool is chosen and put
# down again, so neither the button is active nor the property row shown.
xdotool mousemove $((tb_x + $(tool_x 0))) $((tb_y + 24)) click --repeat 2 --delay 60 1
sleep 0.4
shot double-clicked
# (Right of the tooltip that the button under the pointer shows.)
check "a double click on a tool presses it twice" "yes 244,244,247" \
    "$(dimmed_ok $primary 45 "$(pixel double-clicked $((tb_x + 300)) $((tb_y + 80)))") $(pixel double-clicked $((tb_x + 6)) $((tb_y + 24)))"

click_at $((tb_x + $(tool_x 0))) $((tb_y + 24))  # Rectangle
drag 1530 200 1630 280
shot rectangle
check "rectangle drawn in the first palette colour" "229,57,53" "$(pixel rectangle 1560 200)"
press ctrl+z
shot undone
check "undo removes the rectangle" "$window" "$(pixel undone 1560 200)"
press ctrl+y
shot redone
check "redo brings it back" "229,57,53" "$(pixel redone 1560 200)"

# Every other tool leaves marks where it was used (Text is its own step below),
# each chosen by its button (by position; row N of marks).
declare -A tool_names=([1]=ellipse [2]=arrow [4]=pen [6]=mosaic [9]=number)
declare -A tool_rows=([1]=1 [2]=2 [4]=3 [6]=4 [9]=5)
previous=redone
for tool in 1 2 4 6 9; do
    click_at $((tb_x + $(tool_x $tool))) $((tb_y + 24))
    y=$((170 + 40 * tool_rows[$tool]))
    drag 1700 $y 1790 $((y + 25))
    shot "${tool_names[$tool]}"
    at_least "${tool_names[$tool]} tool draws" 20 "$(changed "$previous" "${tool_names[$tool]}" 110x45+1690+$((y - 10)))"
    previous=${tool_names[$tool]}
done

click_at $((tb_x + backdrop_x)) $((tb_y + 24))
shot backdrop
check "Backdrop button shown active" "30,136,229" "$(pixel backdrop $((tb_x + 455 - 2)) $((tb_y + 24)))"
click_at $((tb_x + copy_x)) $((tb_y + 24))
finish_probe
check "Copy returns the window's rectangle" "200,150 400x300" "$(outcome | sed -E 's/selection ([^ ]+ [^ ]+).*/\1/')"
check "Copy sets no save, send or pin" "0 0 0" "$(field save) $(field send) $(field pin)"
size=$(field image)
w=${size%x*} h=${size#*x}
at_least "the backdrop makes the picture wider than the selection" 401 "$w"
at_least "... and taller" 301 "$h"

# --- 2: Enter before a selection does nothing; Esc cancels -----------------------
start_probe cancel --dim 45
move 300 900  # over the left monitor
press Return
shot after-enter
check "Enter before a selection leaves the overlay open" yes "$(dimmed_ok $primary 45 "$(pixel after-enter 2800 900)")"
press Escape
finish_probe
check "Esc cancels with an empty outcome" "selection none save 0 send 0 pin 0 colour none image none" "$(outcome)"

# --- 3: the right button cancels too -------------------------------------------
start_probe right --dim 45
xdotool mousemove 2000 500 click 3
finish_probe
check "right click cancels with an empty outcome" "selection none save 0 send 0 pin 0 colour none image none" \
    "$(outcome)"

# --- 3b: another window coming to the front cancels -----------------------------
start_probe focus --dim 45 --window -1000,100,300,200 --activate-after 1500
finish_probe
check "losing the focus to another window cancels" "selection none save 0 send 0 pin 0 colour none image none" \
    "$(outcome)"

# --- 4: a click on the bare left monitor takes it; the toolbar's Cancel --------
start_probe monitor --dim 45
click_at 300 900
# The monitor (-1280, 0, 1280 x 1024) leaves no room below or above: the toolbar
# goes inside its lower edge, right-aligned with it. A loaded machine may paint it late.
tb_x=$((1280 - tb_width)) tb_y=$((1024 - 48 - 10))
for _ in $(seq 1 50); do
    shot monitor
    [ "$(pixel monitor $((tb_x + 3)) $((tb_y + 3)))" = 244,244,247 ] && break
    sleep 0.1
done
check "toolbar inside a selection with no room below or above" "244,244,247" \
    "$(pixel monitor $((tb_x + 3)) $((tb_y + 3)))"
# The toolbar lies inside the selection: a quick double click on Undo is two presses
# of Undo, not a double click on the selection that would copy it.
xdotool mousemove $((tb_x + undo_x)) $((tb_y + 24)) click --repeat 2 --delay 60 1
sleep 0.5
check "a double click on Undo inside the selection leaves the overlay open" open \
    "$(kill -0 "$probe_pid" 2>/dev/null && echo open || echo closed)"
# Cancel's tooltip would pass the left monitor's bottom edge (1024) below the button:
# it goes above it, not into the strip no monitor shows.
move $((tb_x + 588)) $((tb_y + 24))
sleep 0.3
shot tooltip
at_least "the tooltip above the button" 100 "$(count tooltip 40x10+$((tb_x + 568))+$((tb_y - 16)) 26,26,26)"
check "nothing of it below the button" 0 "$(count tooltip 40x10+$((tb_x + 568))+$((tb_y + 49)) 26,26,26)"
click_at $((tb_x + 588)) $((tb_y + 24))  # Cancel
finish_probe
check "the Cancel button returns an empty outcome" "selection none save 0 send 0 pin 0 colour none image none" \
    "$(outcome)"

# --- 5: drag with the live size label, Ctrl+S toggles its "Save as…" part -------
start_probe drag --dim 100 --transfer
xdotool mousemove 1500 500 mousedown 1
sleep 0.1
xdotool mousemove 1600 550
sleep 0.1
xdotool mousemove 1699 599
sleep 0.3
shot drag-plain
press ctrl+s
shot drag-save-as
label_region=400x40+1490+455
plain=$(count drag-plain "$label_region" 26,26,26)
with_save=$(count drag-save-as "$label_region" 26,26,26)
at_least "size label shown above the dragged rectangle" 100 "$plain"
at_least "Ctrl+S adds the \"Save as…\" part to the label" $((plain + 200)) "$with_save"
check "dim 100 makes the outside black" "0,0,0" "$(pixel drag-plain 2800 900)"
check "dragged rectangle undimmed" "$primary" "$(pixel drag-plain 1600 550)"
xdotool mouseup 1
sleep 0.3
shot drag-released
# With sending allowed the main row has 17 buttons: 690 wide. Right-aligned with the
# selection it would start on the left monitor; it stays on the selection's monitor,
# from the primary's left edge.
tb_x=1280 tb_y=$((599 + 1 + 10))
check "the send button widens the toolbar" "244,244,247|0,0,0" \
    "$(pixel drag-released $((tb_x + 688)) $((tb_y + 3)))|$(pixel drag-released $((tb_x + 691)) $((tb_y + 3)))"
check "the toolbar stays on the selection's monitor" "0,0,0|244,244,247" \
    "$(pixel drag-released $((tb_x - 2)) $((tb_y + 3)))|$(pixel drag-released $((tb_x + 1)) $((tb_y + 3)))"
click_at $((tb_x + 494 + 16)) $((tb_y + 24))  # Pin to screen
finish_probe
check "drag selects both end pixels; Pin; Ctrl+S while selecting also sets save" \
    "selection 220,500 200x100 save 1 send 0 pin 1 colour none" "$(outcome | sed 's/ image.*//')"
check "the picture has the selection's size" "200x100" "$(field image)"

# --- 6: C copies the colour under the cursor, Shift+C switches to decimal -------
start_probe colour --dim 45
move 2800 900
press c
finish_probe
check "C copies the hex colour" "#C86432" "$(field colour)"
check "... and puts it on the clipboard" "clipboard: #C86432" "$(grep '^clipboard' "$work/$run.out")"
delay=$(sed -nE 's/^closed ([0-9]+) ms.*/\1/p' "$work/$run.out")
at_least "the overlay stays about 400 ms after the copy" 350 "${delay:-0}"
at_least "... and then closes" 0 $((900 - ${delay:-9999}))

start_probe decimal --dim 45
move 100 1000
press shift+c
press c
finish_probe
check "Shift+C then C copies the decimal colour" "60, 120, 180" "$(outcome | sed -E 's/.*colour (.*) image.*/\1/')"

# --- 7: toolbar above a selection at the bottom edge; the text box --------------
start_probe text --dim 0 --out "Z:$work/text.png"
shot undimmed
check "dim 0 leaves the desktop as it was" "$primary" "$(pixel undimmed 2800 900)"
drag 1400 800 1899 1070
shot bottom
# Desktop selection (120, 800, 500 x 271): no room below, so 10 above it.
tb_x=$(toolbar_left 620) tb_y=$((800 - 48 - 10))
check "toolbar above a selection near the bottom edge" "244,244,247" "$(pixel bottom $((tb_x + 3)) $((tb_y + 3)))"
click_at $((tb_x + $(tool_x 8))) $((tb_y + 24))  # Text; the property row makes the toolbar 103 high
tb_y=$((800 - 103 - 10))
click_at 1450 850
xdotool type --delay 60 "Hello"
sleep 0.2
shot typing
check "the text box opens where the Text tool was used" "28,28,28" "$(pixel typing 1850 880)"
press Return
shot committed
red=229,57,53
at_least "Enter commits the text in the current colour" 15 "$(count committed 200x40+1445+845 $red)"
xdotool mousemove 1470 862 click --repeat 2 --delay 80 1
sleep 0.4
shot reopened
xdotool type --delay 60 "Bye"
press Return
shot edited
at_least "a double click re-opens the text and typing replaces it" 30 "$(changed committed edited 200x40+1445+845)"
press Return
finish_probe
check "Enter copies the marked-up selection" "selection 120,800 500x271 save 0 send 0 pin 0 colour none" \
    "$(outcome | sed 's/ image.*//')"
if [ -f "$work/text.png" ]; then
    at_least "the text is in the picture" 15 "$(convert "$work/text.png" -crop 200x40+25+45 +repage -fuzz 8% \
        -fill white -opaque "rgb($red)" -fill black +opaque white -format '%[fx:int(mean*w*h+.5)]' info:)"
fi

# --- 8: monitors of different heights ---------------------------------------------
# The left monitor ends at y 1024, the desktop's box at 1080: below the left monitor
# is a strip no monitor shows, and nothing may be put there.
start_probe heights --dim 45
move 300 880  # the left monitor: the magnifier has no room below on it
shot magnifier-low
check "the magnifier flips above the pointer near the left monitor's bottom" "34,34,34|no" \
    "$(pixel magnifier-low 443 855)|$([ "$(pixel magnifier-low 443 1058)" = 34,34,34 ] && echo yes || echo no)"
drag 300 700 699 985  # desktop (-980, 700), 400 x 286: ends 38 above the monitor's bottom
shot low-selection
tb_x=$((700 - tb_width)) tb_y=$((700 - 48 - 10))
check "the toolbar goes above a selection with no room below it on its monitor" "244,244,247" \
    "$(pixel low-selection $((tb_x + 3)) $((tb_y + 3)))"
press Escape
finish_probe

# --- 9: a Shift-straightened mosaic stroke shows as it is drawn ------------------------
start_probe shift-mosaic --dim 45 --window 200,150,400,300
click_at 1680 300
tb_x=$(toolbar_left 600) tb_y=$((150 + 300 + 10))
click_at $((tb_x + $(tool_x 6))) $((tb_y + 24))  # Mosaic
shot before-stroke
# A short free stroke, then Shift held: the stroke becomes one straight segment from
# its start to the pointer, two points however far the pointer goes.
xdotool mousemove 1500 342 mousedown 1
sleep 0.1
xdotool mousemove 1530 342
sleep 0.15
xdotool keydown shift mousemove 1560 342
sleep 0.15
xdotool mousemove 1850 342
sleep 0.4
shot stroke-held
xdotool mouseup 1 keyup shift
sleep 0.4
shot stroke-done
stripes=100x30+1690+330  # the window's stripes, far along the straightened stroke
at_least "the straightened stroke pixelates as far as the pointer while drawn" 500 \
    "$(changed before-stroke stroke-held $stripes)"
at_least "... and after release" 500 "$(changed before-stroke stroke-done $stripes)"
press Escape
finish_probe

# --- 10: Alt+F4 and another window while the text box has the focus --------------------
text_box_open() {  # selects (320, 500, 300 x 100), picks Text and opens the box with "abc" typed
    drag 1600 500 1899 599
    click_at $(($(toolbar_left 620) + $(tool_x 8))) $((599 + 1 + 10 + 24))  # the toolbar below, on the primary
    click_at 1650 530
    xdotool type --delay 40 abc
    sleep 0.2
}
start_probe text-alt-f4 --dim 45
text_box_open
shot text-alt-f4
check "the text box is open" "28,28,28" "$(pixel text-alt-f4 1890 540)"
press alt+F4
finish_probe
check "Alt+F4 in the text box closes the overlay as a cancel" \
    "selection none save 0 send 0 pin 0 colour none image none" "$(outcome)"

start_probe text-switch --dim 45 --window -1000,100,300,200
text_box_open
"$tools/run-exe" "$(dirname "$probe")/post_broadcast.exe" OverlayProbe.Activate >/dev/null 2>&1 || true
finish_probe
check "another window taking over from the text box cancels" \
    "selection none save 0 send 0 pin 0 colour none image none" "$(outcome)"

# --- 11: every tool by its key, exported with Enter onto the clipboard ---------------------
# The probe's window again (desktop 200..600 x 150..450: root x 1480..1880): each tool
# is chosen by its key and used at its own place; Enter exports and the probe copies
# the picture as a session does. A second overlay in the same process then starts with
# the tool the first one ended on; once it is cancelled, the exported PNG (the picture
# the copy puts on the clipboard) is read back where each mark went. The clipboard
# itself does not outlive the probe under Wine; clipboard_probe covers the copy.
mkdir -p "$work/keys-clip"
start_probe keys --dim 45 --window 200,150,400,300 --copy --again --out "Z:$work/keys-clip/clip.png"
click_at 1680 300
tb_x=$(toolbar_left 600) tb_y=$((150 + 300 + 10))
props_y=$((tb_y + 55 + 8 + 16))  # the middle of the property row's items
key_draw() {  # key_draw KEYS... -- X1 Y1 X2 Y2: presses the keys, then drags
    while [ "$1" != -- ]; do press "$1"; shift; done
    shift
    drag "$@"
}
key_draw r -- 1500 170 1560 220                         # Rectangle, red, 4 wide
key_draw e 5 -- 1580 170 1640 220                       # Ellipse in the fifth colour, blue
shot keys-ellipse
check "5 chooses the fifth swatch for the current tool" "30,136,229" \
    "$(pixel keys-ellipse $((tb_x + 8 + 35 * 4 - 2)) $props_y)"
key_draw a -- 1660 170 1720 220                         # Arrow
key_draw l bracketright -- 1740 180 1860 180            # Line, one size larger: 7 wide
key_draw p 8 -- 1500 250 1600 250                       # Pen in the last colour, #212121
key_draw h -- 1540 235 1540 268                         # Highlighter across the pen's stroke ...
drag 1670 330 1810 330                                  # ... and across the window's stripes
# On screen as in the export: the overlay paints in bands of rows whose first row
# need not be the screen's, and the highlighter's stroke must land where it was drawn.
for _ in $(seq 1 30); do
    shot keys-highlighter
    [ "$(pixel keys-highlighter 1684 330)" = 30,150,61 ] && break
    sleep 0.1
done
check "H on screen: the highlighter tints the window's green where it was drawn" "30,150,61" \
    "$(pixel keys-highlighter 1684 330)"
key_draw m -- 1690 352 1790 352                         # Mosaic below them
key_draw x -- 1700 385 1800 430                         # Redact ...
key_draw a -- 1690 400 1830 410                         # ... and an arrow over it afterwards
press t
click_at $((tb_x + 423 + 16)) $props_y                  # the Text tool's Background switch
click_at 1500 290
xdotool type --delay 60 "Hi"
press Return
key_draw n -- 1850 270 1850 270                         # Number: a click
press n                                                 # the current tool's key again: no tool
shot keys-no-tool
check "the current tool's key puts it down: no property row" yes \
    "$(dimmed_ok $primary 45 "$(pixel keys-no-tool $((tb_x + 100)) $props_y)")"
press l                                                 # the tool this capture ends with
press Return
for _ in $(seq 1 100); do [ "$(grep -c '^ready' "$work/$run.raw")" -ge 2 ] && break; sleep 0.1; done
sleep 0.3
check "Enter copied the picture" "image 400x300" "$(grep -o 'image [0-9x]* sum [0-9a-f]* copied' "$work/$run.raw" | cut -d' ' -f1,2)"

# The next capture of the process: the Line tool is current again, one size larger.
click_at 1680 300
shot keys-again
check "the next capture starts with the last tool and its size" "30,136,229|30,136,229" \
    "$(pixel keys-again $((tb_x + 8 + 39 * 3 - 2)) $((tb_y + 24)))|$(pixel keys-again $((tb_x + 297 + 39 * 2 - 2)) $props_y)"
press Escape
finish_probe
check "the second overlay ends as a cancel" "selection none save 0 send 0 pin 0 colour none image none" \
    "$(grep '^outcome:' "$work/$run.out" | sed -n 2p | sed 's/^outcome: //')"

check "the exported PNG is the 400 x 300 selection" "400x300" \
    "$(identify -format '%wx%h' "$work/keys-clip/clip.png" 2>/dev/null)"
png_at() { pixel keys-clip/clip $(($1 - 1480)) $(($2 - 150)); }  # png_at ROOT_X ROOT_Y
png_count() {  # png_count W H ROOT_X ROOT_Y R,G,B [FUZZ]: pixels of that colour in the PNG there
    convert "$work/keys-clip/clip.png" -crop "$1x$2+$(($3 - 1480))+$(($4 - 150))" +repage -fuzz "${6:-8}%" \
        -fill white -opaque "rgb($5)" -fill black +opaque white -format '%[fx:int(mean*w*h+.5)]' info:
}
red=229,57,53 blue=30,136,229 ink=33,33,33
check "R: the rectangle's top edge" "$red" "$(png_at 1530 170)"
at_least "E: the ellipse in blue" 20 "$(png_count 8 50 1576 170 $blue)"
at_least "A: the arrow's head" 20 "$(png_count 16 16 1706 206 $red)"
line=$(png_count 1 20 1800 170 $red)
check "L: the line, 7 wide after ]" yes "$([ "$line" -ge 6 ] && [ "$line" -le 8 ] && echo yes || echo "no: $line")"
check "P: the pen in #212121" "$ink" "$(png_at 1570 250)"
check "H: the highlighter tints the window's green" "30,150,61" "$(png_at 1684 330)"
check "... and its light stripes" "239,225,164" "$(png_at 1681 330)"
check "... while the pen's dark stroke stays dark" "33,31,23" "$(png_at 1540 250)"
m1=$(png_at 1741 352) m2=$(png_at 1744 352)
check "M: stripe and green in one mosaic block share its average" yes \
    "$([ "$m1" = "$m2" ] && [ "$m1" != "$window" ] && [ "$m1" != 240,240,240 ] && echo yes || echo "no: $m1 $m2")"
check "X: every pixel of the redaction is exactly #212121, under the later arrow too" 4500 \
    "$(png_count 100 45 1700 385 $ink 0)"
at_least "... while the arrow shows beside it" 20 "$(png_count 20 30 1805 395 $red)"
at_least "T: the text on its red background box" 60 "$(png_count 30 26 1500 290 $red)"
at_least "... in white" 10 "$(png_count 30 26 1500 290 255,255,255)"
check "N: the number marker" "$red" "$(png_at 1838 270)"

checks_summary "overlay e2e"
