#!/usr/bin/env bash
# Capturing another program's open menu with kestrix.exe under Wine on the
# two-monitor display: hold_menu.exe holds a popup menu open (as a program in the
# notification area does) when the hotkey, F9 alone, is pressed (Alt would close the
# menu by itself). The overlay ends the menu, which is frozen in the picture: a
# drag over it and Enter put the menu on the clipboard pixel for pixel. With the
# menu open again, Esc reaches the overlay and copies nothing.
#   menu_capture_e2e.sh kestrix.exe BINDIR WORKDIR
# BINDIR holds hold_menu, road_watch, clipboard_read and post_broadcast.
# Uses $DISPLAY when it already has the two-monitor layout, else starts its own.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine/e2e.sh" "$1" "$2" "$3"
kestrix_fresh_work

app_pid= watch_pid= menu_pid=
own_display=0
cleanup() {
    stop_pid "$watch_pid"
    stop_pid "$menu_pid"
    stop_pid "$app_pid"
    release_own_display
}
kestrix_cleanup_on_exit cleanup

kestrix_use_two_monitor_display "$work"
"$tools/setup-prefix"

origin=1280  # X root x of desktop x 0: the left monitor starts at -1280
read -r root_w root_h < <(xdpyinfo | awk '/dimensions:/ {split($2, s, "x"); print s[1], s[2]}')
convert -seed 41 -size "${root_w}x${root_h}" plasma:fractal -depth 8 "$work/background.png"
display -window root "$work/background.png" || true

source "$tools/road.sh"
hotkey_keys=F9

start_kestrix "$kestrix_exe" 'hotkey = "F9"
overlay_dim_percent = 45
show_confirmation = true
language = "en"
show_tray_icon = true
check_for_updates = false' && icon=found || icon=missing
check "kestrix.exe: icon in the notification area" found "$icon"
[ "$icon" = found ] || { echo "menu capture: no tray icon, giving up"; exit 1; }

menu_line() { tr -d '\r' <"$work/menu.out" | grep -E "^$1 $2 " | head -n1; }
await_menu() {  # await_menu open|closed ROUND [SECONDS]
    for _ in $(seq 1 $((${3:-10} * 20))); do
        [ -n "$(menu_line "$1" "$2")" ] && return 0
        sleep 0.05
    done
    return 1
}

# --- 1: F9 over an open menu, a drag over it, Enter ------------------------------------
echo "== F9 with a menu open, then Enter"
# The pointer rests on the tray before the menu opens: no item is highlighted, and
# Wine delivers the hotkey to a window under the pointer.
xdotool mousemove "$icon_x" "$icon_y"
"$KESTRIX_WINE" "$bin/hold_menu.exe" 400 300 >"$work/menu.out" 2>/dev/null &
menu_pid=$!
await_menu open 1 || true
read -r _ _ _ menu_at menu_size < <(menu_line open 1 || true) || true
check "the helper's menu is open" yes "$([ -n "${menu_size:-}" ] && echo yes || echo "no: $(cat "$work/menu.out")")"
menu_x=${menu_at%,*} menu_y=${menu_at#*,} menu_w=${menu_size%x*} menu_h=${menu_size#*x}
sleep 0.3
shot before
watch menu 20000 --until "toast gone"
xdotool key F9
await "overlay shown" 1 10 || true
check "F9 opens the overlay over the open menu" 1 "$(seen 'overlay shown')"
await_menu closed 1 5 && ended=yes || ended=no
check "the overlay ends the other program's menu" yes "$ended"
rx=$((menu_x + origin)) ry=$menu_y
drag "$rx" "$ry" $((rx + menu_w - 1)) $((ry + menu_h - 1))
shot selected
xdotool key Return
await "toast shown" 1 10 || true
watch_end
check "Enter reaches the overlay and copies" "1 1" "$(seen 'overlay gone') $(seen 'clipboard changed')"
clipboard menu
convert "$work/before.png" -crop "${menu_w}x${menu_h}+$rx+$ry" +repage "$work/menu-before.png"
check "the clipboard holds the frozen menu, pixel for pixel" 0 "$(differing "$work/menu/clip.png" "$work/menu-before.png")"

# --- 2: the menu open again, F9, Esc ---------------------------------------------------
echo "== F9 with a menu open, then Esc"
mark_clipboard "menu marker"
xdotool mousemove "$icon_x" "$icon_y"
wine "$bin/post_broadcast.exe" HoldMenu.Open >/dev/null 2>&1 || true
await_menu open 2 || true
check "the helper's menu is open again" yes "$([ -n "$(menu_line open 2)" ] && echo yes || echo no)"
sleep 0.3
watch esc 8000
xdotool key F9
await "overlay shown" 1 10 || true
await_menu closed 2 5 && ended=yes || ended=no
check "the overlay ends the menu again" yes "$ended"
xdotool mousemove 2400 700 key Escape
await "overlay gone" 1 5 || true
sleep 1
watch_end
clipboard esc
check "Esc reaches the overlay and closes it" 1 "$(seen 'overlay gone')"
check "Esc copies nothing" "menu marker" "$(clip esc text)"

wine "$bin/post_broadcast.exe" HoldMenu.Quit >/dev/null 2>&1 || true
wait_for_exit "$menu_pid" 10
[ "$exit_status" = running ] || menu_pid=
checks_summary "menu capture"
