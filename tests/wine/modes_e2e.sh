#!/usr/bin/env bash
# The capture modes of kestrix.exe under Wine on the two-monitor display (primary
# 1920x1080 at 0,0, a 1280x1024 monitor left of it), driven with xdotool as a user
# would: the screen hotkey opens the overlay with the whole primary selected and Enter
# copies 1920 x 1080; after a 640 x 480 capture the last-region hotkey gives 640 x 480
# again, a cancelled drag in between changing nothing; "Capture after a delay › 3
# seconds" freezes a window that appeared 1.5 s after the choice, without the countdown
# in the picture; --capture screen --output writes the screen's pixels; --capture
# region hands the capture to the running copy; Settings shows a row for each hotkey
# and refuses a combination another Kestrix hotkey has.
#   modes_e2e.sh kestrix.exe BINDIR WORKDIR
# BINDIR holds the probes (road_watch, clipboard_read, host_probe, colour_window,
# window_texts, post_broadcast). Screenshots of every step are left in WORKDIR.
# Uses $DISPLAY when it already has the two-monitor layout, else starts its own.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine/e2e.sh" "$1" "$2" "$3"
kestrix_fresh_work app out

app_pid= watch_pid= probe_pid= window_pids=()
own_display=0
cleanup() {
    stop_pid "$watch_pid"
    stop_pid "$probe_pid"
    stop_pid "$app_pid"
    for pid in "${window_pids[@]}"; do stop_pid "$pid"; done
    release_own_display
}
kestrix_cleanup_on_exit cleanup

kestrix_use_two_monitor_display "$work"
"$tools/setup-prefix"
# X root coordinates are desktop units plus 1280 (the left monitor starts at -1280).
origin=1280
source "$tools/road.sh"

# A non-repeating picture behind everything, so that a shifted or stale copy shows.
read -r root_w root_h < <(xdpyinfo | awk '/dimensions:/ {split($2, s, "x"); print s[1], s[2]}')
convert -seed 2511 -size "${root_w}x${root_h}" plasma:fractal -depth 8 "$work/background.png"
display -window root "$work/background.png" || true  # exits with 1 even when it worked

cp "$kestrix_exe" "$work/app/kestrix.exe"
cat >"$work/app/kestrix.toml" <<'TOML'
hotkey = "Ctrl+Alt+A"
language = "en"
check_for_updates = false
hotkey_last_region = "Ctrl+Alt+L"
hotkey_screen = "Ctrl+Alt+S"
TOML
exe_path=$(winpath "$work/app/kestrix.exe")

# A window of one colour on a monitor: colour_window NAME X Y W H RRGGBB [DELAY_MS]
# (desktop units); waits until it is shown unless it is to appear later. Each stays
# two minutes, longer than the whole script.
colour_window() {
    local name=$1
    shift
    "$KESTRIX_WINE" "$bin/colour_window.exe" "$1" "$2" "$3" "$4" "$5" "${6:-0}" 120 >"$work/$name.window" 2>/dev/null &
    window_pids+=($!)
    [ "${6:-0}" != 0 ] && return 0
    for _ in $(seq 1 100); do grep -q shown "$work/$name.window" 2>/dev/null && return 0; sleep 0.05; done
    echo "(the $name window did not show)"
}
crop() {  # crop SHOT W H X Y NAME: a part of a screenshot, root coordinates
    convert "$work/$1.png" -crop "${2}x${3}+${4}+${5}" +repage "$work/$6.png"
}
open_capture() {  # open_capture NAME KEYS [road_watch options...]: a hotkey, and the overlay it opens
    local name=$1 keys=$2
    shift 2
    watch "$name" "$@"
    press_hotkey "$keys"
    await "overlay shown" 1 10 || true
    sleep 0.4  # until it has painted and has the keyboard
}

# --- the menu's geometry, from the host on its own ----------------------------------
# kestrix.exe's menu is the same menu at the same place; the probe says where its delay
# submenu and that submenu's "3 seconds" lie from the pointer.
"$KESTRIX_WINE" "$bin/host_probe.exe" >"$work/host_probe.out" 2>/dev/null &
probe_pid=$!
probe() { tr -d '\r' <"$work/host_probe.out"; }
delay_dx= delay_dy= three_dx= three_dy=
if find_icon; then
    xdotool mousemove "$icon_x" "$icon_y" click 1
    for _ in $(seq 1 50); do probe | grep -q " $menu_exit " && break; sleep 0.1; done
    read -r cursor_x cursor_y < <(probe | sed -n 's/^menu .* cursor //p' | head -n1)
    read -r item_x item_y < <(probe | awk '$1 == "item" && / Capture after a delay$/ {print $4, $5; exit}')
    delay_dx=$((item_x - cursor_x)) delay_dy=$((item_y - cursor_y))
    xdotool mousemove $((icon_x + delay_dx)) $((icon_y + delay_dy))
    for _ in $(seq 1 50); do [ "$(probe | grep -c '^menu ')" -ge 2 ] && break; sleep 0.1; done
    read -r item_x item_y < <(probe | awk '$1 == "item" && $3 == "0x1009" {print $4, $5; exit}')
    three_dx=$((item_x - cursor_x)) three_dy=$((item_y - cursor_y))
    read -r exit_x exit_y < <(kestrix_menu_item "$work/host_probe.out" "$menu_exit")
    xdotool mousemove $((icon_x + exit_x - cursor_x)) $((icon_y + exit_y - cursor_y)) click 1
fi
wait_for_exit "$probe_pid" 10
[ "$exit_status" = running ] && stop_pid "$probe_pid"
probe_pid=
check "the delay submenu offers 3, 5 and 10 seconds" "3 seconds|5 seconds|10 seconds" \
    "$(probe | awk '$1 == "item" && ($3 == "0x1009" || $3 == "0x100a" || $3 == "0x100b") {$1 = $2 = $3 = $4 = $5 = ""; sub(/^ */, ""); print}' | paste -sd'|')"
sleep 0.5

# --- start ------------------------------------------------------------------------------
(cd "$work/out" && exec "$KESTRIX_WINE" "$work/app/kestrix.exe" "$KESTRIX_QUIET_START") >"$work/kestrix.out" 2>"$work/kestrix.err" &
app_pid=$!
find_icon && icon=found || icon=missing
check "kestrix.exe: icon in the notification area" found "$icon"
[ "$icon" = found ] || { echo "modes e2e: no tray icon, giving up"; exit 1; }

# --- the screen hotkey: the whole primary, in the editing phase --------------------------
echo "== hotkey_screen"
# A window of Kestrix's kind on the primary, under the pointer, so that Wine hands the
# hotkey over (it does only while one of its windows is under the pointer or focused).
colour_window target 1500 800 300 200 3A7BD5
shot before
watch screen 20000 --until "toast gone"
xdotool mousemove $((origin + 1650)) 900
sleep 0.2
xdotool key ctrl+alt+s
await "overlay shown" 1 10 || true
sleep 0.6
shot screen-overlay
check "the screen hotkey opens the overlay over both monitors" "-1280,0 3200x1080" "$(event 'overlay shown')"
check "the primary is selected: undimmed" "$(pixel before $((origin + 200)) 200)" "$(pixel screen-overlay $((origin + 200)) 200)"
check "the left monitor is not: dimmed" yes "$(dimmed "$(pixel before 600 500)" "$(pixel screen-overlay 600 500)" 45)"
xdotool key Return
await "toast shown" 1 10 || true
watch_end
clipboard screen
crop before 1920 1080 "$origin" 0 before-primary
check "Enter copies 1920 x 1080" 1920x1080 "$(clip screen png)"
check "the picture is the primary's pixels" 0 "$(differing "$work/screen/clip.png" "$work/before-primary.png")"
check "the toast names the size" "Copied  1920 × 1080" "$(toast_text)"

# --- the last region: a 640 x 480 capture, a cancelled drag, the hotkey -------------------
echo "== hotkey_last_region"
sel_x=400 sel_y=200
rx=$((origin + sel_x))
open_capture first ctrl+alt+a 20000 --until "toast gone"
drag "$rx" "$sel_y" $((rx + 639)) $((sel_y + 479))
xdotool key Return
await "toast gone" 1 10 || true
watch_end
check "a 640 x 480 capture first" "640x480" "$(clipboard first; clip first png)"
# A drag in another place, not finished: the last region stays.
open_capture cancelled ctrl+alt+a 8000 --until "overlay gone"
drag $((origin + 1000)) 600 $((origin + 1299)) 799
xdotool key Escape
await "overlay gone" 1 5 || true
watch_end
mark_clipboard "modes marker"
open_capture last ctrl+alt+l 20000 --until "toast gone"
shot last-overlay
check "the last region is selected: undimmed inside" "$(pixel before $((rx + 20)) $((sel_y + 20)))" \
    "$(pixel last-overlay $((rx + 20)) $((sel_y + 20)))"
check "... and dimmed just outside" yes "$(dimmed "$(pixel before $((rx - 3)) $((sel_y + 20)))" \
    "$(pixel last-overlay $((rx - 3)) $((sel_y + 20)))" 45)"
xdotool key Return
await "toast shown" 1 10 || true
watch_end
clipboard last
crop before 640 480 "$rx" "$sel_y" before-last
check "Enter copies 640 x 480 again" "640x480" "$(clip last png)"
check "the same place: the screen's pixels there" 0 "$(differing "$work/last/clip.png" "$work/before-last.png")"

# --- after a delay: a window that appears 1.5 s after the choice is in the picture -------
echo "== Capture after a delay › 3 seconds"
if [ -n "$three_dx" ]; then
    watch delay 20000 --until "overlay shown"
    xdotool mousemove "$icon_x" "$icon_y" click 1
    sleep 0.8
    xdotool mousemove $((icon_x + delay_dx)) $((icon_y + delay_dy))
    sleep 0.8
    xdotool mousemove $((icon_x + three_dx)) $((icon_y + delay_dy))  # straight across into the submenu
    sleep 0.3
    xdotool mousemove $((icon_x + three_dx)) $((icon_y + three_dy))
    sleep 0.5
    shot menu-delay
    xdotool click 1
    colour_window late 900 300 400 300 D53A7B 1500
    # The pointer rests where the late window is not; the pill stands above and left of it.
    pointer_x=$((origin + 1500)) pointer_y=700
    xdotool mousemove "$pointer_x" "$pointer_y"
    sleep 1
    shot countdown
    await "overlay shown" 1 10 || true
    watch_end
    sleep 0.6  # until it has painted and has the keyboard
    check "the countdown counts 3 s, then the overlay opens" "in range" \
        "$(within 2900 5000 "$(between 'countdown shown' 'overlay shown')")"
    check "the countdown has gone before the freeze" "in range" \
        "$(within 1 3000 "$(between 'countdown gone' 'overlay shown')")"
    # The pill: the toast's dark grey, up and to the left of the pointer.
    pill=$(convert "$work/countdown.png" -crop "200x200+$((pointer_x - 200))+$((pointer_y - 200))" txt:- 2>/dev/null |
        grep -c "(26,26,26)\|#1A1A1A" || true)
    check "the countdown shows beside the pointer" yes "$([ "${pill:-0}" -gt 300 ] && echo yes || echo "no: $pill dark pixels")"
    # Everything from the late window to the pill's place, in the picture.
    watch delay-copy 10000 --until "toast gone"
    drag $((origin + 880)) 280 $((pointer_x - 1)) $((pointer_y - 1))
    xdotool key Return
    await "toast gone" 1 10 || true
    watch_end
    shot after-delay
    clipboard delay
    check "the picture holds the window that appeared during the countdown" yes \
        "$([ "$(convert "$work/delay/clip.png" -format '%[hex:p{100,100}]' info:)" = D53A7B ] && echo yes || echo no)"
    crop after-delay 620 420 $((origin + 880)) 280 after-delay-region
    check "... and not the countdown: it equals the screen without it" 0 \
        "$(differing "$work/delay/clip.png" "$work/after-delay-region.png")"
else
    echo "FAILED: the probe gave no place for the delay submenu"
    failures=$((failures + 1))
fi

# --- the command line ------------------------------------------------------------------
echo "== --capture screen --output"
xdotool mousemove $((origin + 300)) 300  # on the primary, over the background
sleep 0.3
shot before-output
output=$(cd "$work/out" && "$KESTRIX_WINE" "$work/app/kestrix.exe" --capture screen --output shot.png 2>/dev/null |
    tr -d '\r') && code=0 || code=$?
check "--output exits with 0" 0 "$code"
check "--output prints the path" "$(winpath "$work/out/shot.png")" "$output"
crop before-output 1920 1080 "$origin" 0 before-output-primary
check "--output writes the screen's PNG" "PNG 1920x1080" "$(identify -format '%m %wx%h' "$work/out/shot.png" 2>&1)"
check "... with the screen's pixels" 0 "$(differing "$work/out/shot.png" "$work/before-output-primary.png")"
output=$("$KESTRIX_WINE" "$work/app/kestrix.exe" --capture last --output x.png 2>/dev/null | tr -d '\r') && code=0 || code=$?
check "a bad combination exits with 2" 2 "$code"
check "... naming the problem, then the usage line" \
    "--output does not go with --capture last: only the running Kestrix knows its last region.|Usage: kestrix --capture region|last|screen|window [--delay SECONDS] [--output FILE [--rect X,Y,W,H]]" \
    "$(paste -sd'|' <<<"$output")"

echo "== --capture region with a running copy"
watch handed 10000 --until "overlay shown"
"$KESTRIX_WINE" "$work/app/kestrix.exe" --capture region >/dev/null 2>&1 && code=0 || code=$?
await "overlay shown" 1 10 || true
sleep 0.5
check "the second copy exits with 0" 0 "$code"
check "the running copy opens its overlay" 1 "$(seen 'overlay shown')"
xdotool mousemove $((origin + 300)) 300 key Escape
watch_end
sleep 0.5

# --- Settings: a row for each hotkey ----------------------------------------------------
echo "== Settings"
"$KESTRIX_WINE" "$work/app/kestrix.exe" >/dev/null 2>&1 || true  # a second start opens Settings
settings=
for _ in $(seq 1 100); do
    settings=$(texts "Kestrix Settings")
    grep -q '^windows 1' <<<"$settings" && break
    sleep 0.1
done
sleep 0.5
shot settings
row() { grep -c "^  Static|$1|" <<<"$settings" || true; }
check "a row for each hotkey" "1 1 1 1" "$(row 'Capture hotkey') $(row 'Capture last region') $(row 'Capture screen') $(row 'Capture active window')"
# Counted in the hotkeys' column: the capture folder's row has an "Off" button too.
hotkey_left=$(grep "^  Button|Ctrl+Alt+A|" <<<"$settings" | head -n1 | awk -F'|' '{print $3}' | cut -d, -f1)
check "their buttons: the file's hotkeys, or Off" "1 1 1 1" \
    "$(for t in Ctrl+Alt+A Ctrl+Alt+L Ctrl+Alt+S Off; do grep -c "^  Button|$t|$hotkey_left," <<<"$settings" || true; done | paste -sd' ')"
# The window row's button records; a click that comes before the window takes input is lost.
for _ in 1 2 3; do
    click_control "$settings" "Button|Off"
    sleep 0.5
    texts "Kestrix Settings" | grep -q '^  Button|Press a combination…|' && break
done
xdotool key ctrl+alt+a
sleep 0.5
settings=$(texts "Kestrix Settings")
shot settings-refused
check "the capture hotkey's combination is refused for the window row" 1 \
    "$(grep -c "|Kestrix already uses that combination for “Capture hotkey”.|" <<<"$settings" || true)"
xdotool key Escape
sleep 0.3
click_control "$(texts "Kestrix Settings")" "Button|Done"
for _ in $(seq 1 50); do texts "Kestrix Settings" | grep -q '^windows 0' && break; sleep 0.1; done

# --- the end -----------------------------------------------------------------------------
wine "$bin/post_broadcast.exe" Kestrix.Quit
wait_for_exit "$app_pid"
[ "$exit_status" = running ] || app_pid=
check "Kestrix.Quit ends kestrix.exe with code 0" 0 "$exit_status"

checks_summary "modes e2e"
