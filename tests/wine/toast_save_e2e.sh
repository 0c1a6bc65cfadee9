#!/usr/bin/env bash
# End to end under Wine on the two-monitor display: the confirmation toast's window
# (place, size, styles, opacity, rounded region, lifetime, one at a time) and a
# screenshot of it under an anchor window; then the Save dialog driven with xdotool
# (title, proposed name, default extension, overwrite prompt, cancel).
#   toast_save_e2e.sh toast_probe.exe window_texts.exe WORKDIR
# Uses $DISPLAY when it already has the two-monitor layout, else starts its own.
set -euo pipefail
probe=$(realpath "$1")
texts=$(realpath "$2")
work=$3
tools="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine" && pwd)"
source "$tools/common.sh"
source "$tools/display.sh"
kestrix_wine_env

rm -rf "$work"
mkdir -p "$work/save"
work=$(cd "$work" && pwd)

anchor_pid=
probe_pid=
own_display=0
cleanup() {
    for pid in $probe_pid $anchor_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
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
within() {  # within LOW HIGH VALUE: prints the value when inside, else "VALUE (outside LOW..HIGH)"
    if [ "$3" -ge "$1" ] && [ "$3" -le "$2" ]; then echo "in range"; else echo "$3 (outside $1..$2)"; fi
}

kestrix_use_two_monitor_display "$work"
"$tools/setup-prefix"

# Waits (up to 20 s) until FILE holds a line equal to TEXT; the probe writes Windows line ends.
wait_for_line() {
    local i
    for i in $(seq 1 200); do
        tr -d '\r' <"$1" 2>/dev/null | grep -qx "$2" && return 0
        sleep 0.1
    done
    echo "FAILED: no '$2' line in $1"
    return 1
}
finish_probe() {  # finish_probe RAW OUT: waits for the probe started in the background
    local status=0
    wait "$probe_pid" || status=$?
    probe_pid=
    tr -d '\r' <"$1" >"$2"
    [ "$status" -eq 0 ] || { echo "FAILED: the probe exited with $status"; cat "$2"; exit 1; }
}
value() { sed -n "s/^$1: //p" "$2"; }

# X root = X screen; desktop units = X pixels + (-1280, 0).
xdesk() { echo $(($1 + 1280)); }

# --- The toast under a 640 x 480 selection on the primary monitor ---------------------
read -r root_w root_h < <(xdpyinfo | awk '/dimensions:/ {split($2, s, "x"); print s[1], s[2]}')
convert -size "${root_w}x${root_h}" xc:'#4a6f94' -depth 8 "$work/background.png"
display -window root "$work/background.png" || true  # exits with 1 even when the root was set
convert -size 640x480 xc:'#d8d8d0' -fill none -stroke '#c04040' -strokewidth 4 -draw 'rectangle 2,2 637,477' \
    -depth 8 "$work/anchor.png"
display -borderwidth 0 -geometry "+$(xdesk 400)+200" -title toast-anchor "$work/anchor.png" &
anchor_pid=$!
for _ in $(seq 1 100); do xwininfo -name toast-anchor >/dev/null 2>&1 && break; sleep 0.1; done
sleep 0.3

"$tools/run-exe" "$probe" toast 400 200 640 480 >"$work/toast.raw" 2>"$work/toast.err" &
probe_pid=$!
wait_for_line "$work/toast.raw" shown
import -window root -depth 8 "$work/toast-screen.png"
finish_probe "$work/toast.raw" "$work/toast.out"
cat "$work/toast.out"

check "window class" SnapConfirmation "$(value class "$work/toast.out")"
check "no-activate, layered, tool window, topmost, click-through" 0x080800A8 "$(value exstyle "$work/toast.out")"
check "a pop-up without title or owner" "0x94000000 '' none" \
    "$(value style "$work/toast.out") $(value title "$work/toast.out") $(value owner "$work/toast.out")"
check "opacity 235 of 255" 235 "$(value alpha "$work/toast.out")"
check "clipped to a rounded rectangle" rounded "$(value region "$work/toast.out")"
check "shown without taking the focus" "yes no" \
    "$(value visible "$work/toast.out") $(value 'foreground changed' "$work/toast.out")"
read -r tx ty tw th < <(value rect "$work/toast.out" | tr ',x' '  ')
check "centred under the selection" "$((400 + (640 - tw) / 2))" "$tx"
check "12 units below the selection" 692 "$ty"
check "width is the text plus 2 x 18" "in range" "$(within 100 250 "$tw")"
check "height is one line plus 2 x 10" "in range" "$(within 32 44 "$th")"
check "closes itself after 1100 ms" "in range" "$(within 1050 3000 "$(value lived "$work/toast.out" | tr -dc 0-9)")"
check "closed" yes "$(value closed "$work/toast.out")"

# Layered windows are not blended without a compositor: the toast's pixels are its own.
pixel() { convert "$work/toast-screen.png" -format "%[hex:p{$(xdesk $(($1))),$(($2))}]" info:; }
check "dark fill above the text" 1A1A1A "$(pixel "tx + tw / 2" "ty + 2")"
check "the corner is cut away" 4A6F94 "$(pixel tx ty)"
check "the selection stays uncovered above it" D8D8D0 "$(pixel "tx + tw / 2" "ty - 30")"
light=$(convert "$work/toast-screen.png" -crop "$((tw - 8))x$((th - 8))+$(xdesk $((tx + 4)))+$((ty + 4))" +repage \
    -colorspace gray -threshold 70% -format '%[fx:int(mean*w*h)]' info:)
check "light text drawn on it" "in range" "$(within 60 100000 "$light")"
convert "$work/toast-screen.png" -crop "900x360+$(xdesk 270)+420" +repage "$work/toast-closeup.png"
kill "$anchor_pid" 2>/dev/null || true
wait "$anchor_pid" 2>/dev/null || true
anchor_pid=

# --- Placement at the desktop's edges ----------------------------------------------------
run_toast() {  # run_toast NAME ARGS...: runs a toast to its end, prints its rect (none when it never ran)
    local name=$1; shift
    # Once in a while Wine fails to start a program right after another has ended;
    # one more try tells that apart from a toast that is really wrong.
    for _ in 1 2; do
        "$tools/run-exe" "$probe" toast "$@" >"$work/$name.raw" 2>"$work/$name.err" && break
        sleep 1
    done
    tr -d '\r' <"$work/$name.raw" >"$work/$name.out"
    value rect "$work/$name.out"
}
rect=$(run_toast bottom 300 900 400 180)
check "a selection at the bottom: 8 units above the desktop's bottom" "$((1080 - th - 8))" "$(cut -d' ' -f1 <<<"$rect" | cut -d, -f2)"
rect=$(run_toast left -1280 100 40 40)
check "a selection at the far left: on the desktop's left edge" -1280 "$(cut -d, -f1 <<<"$rect")"
# The left monitor is 1024 high, the desktop's box 1080: below 1024 no monitor shows it.
rect=$(run_toast left-bottom -1000 950 300 60)
check "a selection near the left monitor's bottom: 8 units above that monitor's bottom" "$((1024 - th - 8))" \
    "$(cut -d' ' -f1 <<<"$rect" | cut -d, -f2)"
rect=$(run_toast none none)
read -r nx ny nw nh < <(tr ',x' '  ' <<<"$rect")
check "no anchor: centred at the primary monitor's bottom" "$(((1920 - nw) / 2)),$((1080 - nh - 8))" "$nx,$ny"

"$tools/run-exe" "$probe" twice 400 200 640 480 >"$work/twice.raw" 2>"$work/twice.err" &
probe_pid=$!
finish_probe "$work/twice.raw" "$work/twice.out"
check "a second toast closes the first at once" "yes yes" \
    "$(value 'first closed' "$work/twice.out") $(value 'second is another window' "$work/twice.out")"
check "the second lives its full 1100 ms" "in range" "$(within 1050 3000 "$(value 'second lived' "$work/twice.out" | tr -dc 0-9)")"

# --- The Save dialog -------------------------------------------------------------------
save_dir="$work/save"
windows_dir="Z:${save_dir//\//\\}"
proposed="Kestrix 2026-03-02 09-05-03.png"

dialog=
open_dialog() {  # open_dialog NAME: starts the probe's dialog and waits for its X window
    (cd "$save_dir" && exec "$tools/run-exe" "$probe" save "$proposed") >"$work/$1.raw" 2>"$work/$1.err" &
    probe_pid=$!
    dialog=$(timeout 30 xdotool search --sync --onlyvisible --name '^Save screenshot$' | head -n1 || true)
    [ -n "$dialog" ] || { echo "FAILED: no Save dialog appeared"; exit 1; }
    sleep 0.5  # until it has taken the keyboard focus
}
# Types into the dialog's focused name box, replacing what it holds.
type_name() {
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 20 "$1"
}

open_dialog save-typed
check "dialog title" "Save screenshot" "$(xdotool getwindowname "$dialog")"
"$tools/run-exe" "$texts" "Save screenshot" | tr -d '\r' >"$work/dialog-texts.out"
check "the proposed name is in the name box" 1 "$(grep -c "^  Edit|$proposed|" "$work/dialog-texts.out" || true)"
check "the filter offers PNG first" 1 "$(grep -c '^  ComboBox|PNG image (\*\.png)|' "$work/dialog-texts.out" || true)"
import -window root -depth 8 "$work/save-dialog.png"  # for a person to look at
type_name shot
xdotool key Return
finish_probe "$work/save-typed.raw" "$work/save-typed.out"
check "a name without extension gets .png" "$windows_dir\\shot.png" "$(value path "$work/save-typed.out")"
check "the current directory is unchanged" yes "$(value 'current directory unchanged' "$work/save-typed.out")"
check "the dialog writes nothing itself" "" "$(ls "$save_dir")"

: >"$save_dir/taken.png"
open_dialog save-existing
type_name taken
xdotool key Return
# The prompt is a second window under the dialog's title.
for _ in $(seq 1 100); do
    [ "$(xdotool search --onlyvisible --name '^Save screenshot$' | wc -l)" -ge 2 ] && break
    sleep 0.1
done
"$tools/run-exe" "$texts" "Save screenshot" | tr -d '\r' >"$work/prompt-texts.out"
check "an existing file asks before it is replaced" 1 "$(grep -c '^  Static|.*already exists' "$work/prompt-texts.out" || true)"
xdotool key y
finish_probe "$work/save-existing.raw" "$work/save-existing.out"
check "confirmed: the existing file's path" "$windows_dir\\taken.png" "$(value path "$work/save-existing.out")"

open_dialog save-cancelled
xdotool key Escape
finish_probe "$work/save-cancelled.raw" "$work/save-cancelled.out"
check "Escape: no path" none "$(value path "$work/save-cancelled.out")"

echo "toast and save e2e: $passes checks passed, $failures failed"
[ "$failures" -eq 0 ]
