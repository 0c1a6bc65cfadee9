#!/usr/bin/env bash
# kestrix.exe keeping captures, under Wine on the two-monitor display, driven with
# xdotool: with a capture folder set, each Enter writes a new file holding exactly the
# clipboard's PNG (two captures under one name give "name.png" and "name (2).png") and
# the toast names it; Save As with a .jpg name writes a JPEG of the selection's size;
# a folder that cannot be made gives one message and the clipboard still holds the
# picture. Recent captures in the tray menu, driven from the keyboard: Copy again puts
# an earlier picture back on the clipboard; Edit again shows that capture's crop at 1:1
# in the middle of the monitor under the pointer, its arrow can be moved, and Enter
# copies the picture with the arrow moved.
#   keep_e2e.sh kestrix.exe BINDIR WORKDIR
# BINDIR holds road_watch, clipboard_read and window_texts. Screenshots stay in WORKDIR.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine/e2e.sh" "$1" "$2" "$3"
kestrix_fresh_work app save

app_pid= watch_pid=
own_display=0
cleanup() {
    stop_pid "$watch_pid"
    stop_pid "$app_pid"
    release_own_display
}
kestrix_cleanup_on_exit cleanup

kestrix_use_two_monitor_display "$work"
"$tools/setup-prefix"
origin=1280
read -r root_w root_h < <(xdpyinfo | awk '/dimensions:/ {split($2, s, "x"); print s[1], s[2]}')
convert -seed 311 -size "${root_w}x${root_h}" plasma:fractal -depth 8 "$work/background.png"
display -window root "$work/background.png" || true  # exits with 1 even when it worked
source "$tools/road.sh"
shot() { import -window root -depth 8 "$work/$1.png"; }

start_kestrix() {  # start_kestrix SAVE_FOLDER: a fresh kestrix.exe with that capture folder (may be empty)
    stop_pid "$app_pid"
    cp "$kestrix_exe" "$work/app/kestrix.exe"
    cat >"$work/app/kestrix.toml" <<TOML
language = "en"
check_for_updates = false
save_folder = '$1'
file_name_pattern = 'Kept {date}'
TOML
    (cd "$work/save" && exec "$KESTRIX_WINE" "$work/app/kestrix.exe" "$KESTRIX_QUIET_START") \
        >"$work/kestrix.out" 2>"$work/kestrix.err" &
    app_pid=$!
    find_icon || { echo "keep: no tray icon, giving up"; exit 1; }
}
capture() {  # capture NAME X Y W H [KEYS...]: hotkey, drag (desktop units), the keys, Enter
    local name=$1 x=$(($2 + origin)) y=$3 w=$4 h=$5
    shift 5
    watch "$name" 30000 --until "toast gone"
    press_hotkey
    await "overlay shown" 1 10 || true
    sleep 0.4
    drag "$x" "$y" $((x + w - 1)) $((y + h - 1))
    for key in "$@"; do xdotool key "$key"; done
    xdotool key Return
}

# --- 1: every copy into the folder --------------------------------------------------
echo "== capture folder"
folder="$work/kept/shots"  # missing: Kestrix makes it
today=$(date +%Y-%m-%d)
start_kestrix "$(winpath "$folder")"
capture first 300 200 400 300
await "toast shown" 1 10 || true
watch_end
clipboard first
check "the first capture is saved under the pattern's name" "Kept $today.png" "$(ls "$folder" 2>&1)"
check "its bytes are the clipboard's PNG" same \
    "$(cmp -s "$folder/Kept $today.png" "$work/first/clip.png" && echo same || echo differ)"
check "the toast names the file" "Copied and saved  Kept $today.png" "$(toast_text)"

capture second 500 300 200 100
await "toast shown" 1 10 || true
shot second-toast
watch_end
clipboard second
check "a second capture under the same name gets (2)" "Kept $today (2).png" \
    "$(ls "$folder" | grep -v "^Kept $today.png$" 2>&1)"
check "its bytes are the new clipboard PNG" same \
    "$(cmp -s "$folder/Kept $today (2).png" "$work/second/clip.png" && echo same || echo differ)"
check "the first file is untouched" same \
    "$(cmp -s "$folder/Kept $today.png" "$work/first/clip.png" && echo same || echo differ)"
check "the second is 200 x 100" "PNG 200x100" "$(identify -format '%m %wx%h' "$folder/Kept $today (2).png" 2>&1)"

# --- 2: Save As with a .jpg name ------------------------------------------------------
echo "== Save As JPEG"
capture jpeg 200 150 320 240 ctrl+s
await "dialog shown" 1 10 || true
sleep 0.5
type_save_name "$(winpath "$work/save/picture.jpg")"
shot save-as-dialog
xdotool key Return
await "toast shown" 1 10 || true
watch_end
check "a .jpg name writes a 320 x 240 JPEG" "JPEG 320x240" \
    "$(identify -format '%m %wx%h' "$work/save/picture.jpg" 2>&1)"
# Wine's encoder leaves out the quality it is asked for (it writes libjpeg's 75); Windows'
# honours it. Shown, not checked.
echo "(the JPEG's estimated quality: $(identify -format '%Q' "$work/save/picture.jpg" 2>/dev/null || echo unknown))"
check "the folder got its PNG of it too" 3 "$(ls "$folder" | wc -l)"
check "the toast names the chosen file" "Copied and saved  picture.jpg" "$(toast_text)"

# --- 3: a folder that cannot be made ---------------------------------------------------
echo "== a folder that cannot be written"
: >"$work/not-a-folder"
start_kestrix "$(winpath "$work/not-a-folder/shots")"
mark_clipboard "keep marker"
capture unwritable 300 200 240 180
message=
for _ in $(seq 1 100); do
    message=$(texts Kestrix | grep -F 'could not save it in your capture folder' || true)
    [ -n "$message" ] && break
    sleep 0.1
done
shot unwritable-message
check "one message says the folder could not take it" 1 "$(grep -c 'The capture is on the clipboard' <<<"$message" || true)"
xdotool key Return
sleep 1
watch_end
clipboard unwritable
check "the clipboard holds the picture" 240x180 "$(clip unwritable png)"
check "no toast on top of the message" 0 "$(seen 'toast shown')"
check "nothing is left beside the file" "not-a-folder" "$(ls "$work" | grep '^not-a-folder' | tr '\n' ' ' | sed 's/ $//')"

# --- 4: Recent captures ------------------------------------------------------------------
echo "== Recent captures"
# Where Recent captures, its second capture and that capture's commands lie from the
# pointer, from the host on its own with the same menu holding two such captures (Wine's
# menus here take no keys from xdotool, so the pointer walks them).
stop_pid "$app_pid"
app_pid=
"$KESTRIX_WINE" "$bin/host_probe.exe" --recent-two >"$work/host_probe.out" 2>/dev/null &
probe_pid=$!
probe() { tr -d '\r' <"$work/host_probe.out"; }
menus() { probe | grep -c '^menu ' || true; }
nth_menu_item() {  # nth_menu_item N ID-OR-LABEL-PART: "X Y" of an item of the N-th menu reported
    probe | awk -v n="$1" -v want="$2" '$1 == "menu" {m++} m == n && $1 == "item" && ($3 == want || index($0, want)) {print $4, $5; exit}'
}
recent_dx= recent_dy= entry_dx= entry_dy= copy_dx= copy_dy= edit_dx= edit_dy=
if find_icon; then
    xdotool mousemove "$icon_x" "$icon_y" click 1
    for _ in $(seq 1 50); do probe | grep -q " $menu_exit " && break; sleep 0.1; done
    read -r cursor_x cursor_y < <(probe | sed -n 's/^menu .* cursor //p' | head -n1)
    read -r x y < <(nth_menu_item 1 "Recent captures")
    recent_dx=$((x - cursor_x)) recent_dy=$((y - cursor_y))
    xdotool mousemove $((icon_x + recent_dx)) $((icon_y + recent_dy))
    for _ in $(seq 1 50); do [ "$(menus)" -ge 2 ] && break; sleep 0.1; done
    read -r x y < <(nth_menu_item 2 "400 × 300")
    entry_dx=$((x - cursor_x)) entry_dy=$((y - cursor_y))
    xdotool mousemove $((icon_x + entry_dx)) $((icon_y + recent_dy))
    sleep 0.3
    xdotool mousemove $((icon_x + entry_dx)) $((icon_y + entry_dy))
    # The second capture's commands: kMenuRecentFirst + 1 * 4 + the action.
    for _ in $(seq 1 50); do probe | grep -q ' 0x1107 ' && break; sleep 0.1; done
    read -r x y < <(kestrix_menu_item "$work/host_probe.out" 0x1104)
    copy_dx=$((x - cursor_x)) copy_dy=$((y - cursor_y))
    read -r x y < <(kestrix_menu_item "$work/host_probe.out" 0x1107)
    edit_dx=$((x - cursor_x)) edit_dy=$((y - cursor_y))
    shot probe-recent-menu
    read -r exit_x exit_y < <(kestrix_menu_item "$work/host_probe.out" "$menu_exit")
    xdotool mousemove $((icon_x + exit_x - cursor_x)) $((icon_y + exit_y - cursor_y))
    sleep 0.5
    xdotool click 1
fi
wait_for_exit "$probe_pid" 10
[ "$exit_status" = running ] && stop_pid "$probe_pid"
check "the menu has Recent captures, then a separator" "Recent captures|---" \
    "$(probe | awk '$1 == "item" && ($2 == 5 || $2 == 6) {$1 = $2 = $3 = $4 = $5 = ""; sub(/^ */, ""); print}' | head -n2 | paste -sd'|')"
check "a capture's commands" "Copy again|Pin to screen|Save as…|Edit again" \
    "$(probe | awk '$1 == "item" && $3 ~ /^0x110[4-7]$/ {$1 = $2 = $3 = $4 = $5 = ""; sub(/^ */, ""); print}' | head -n4 | paste -sd'|')"
sleep 0.5
start_kestrix ''
# A: an arrow across the middle (A picks the tool), B: a plain region elsewhere.
ax=$((origin + 300)) ay=200
watch recent-a 30000 --until "toast gone"
press_hotkey
await "overlay shown" 1 10 || true
sleep 0.4
drag "$ax" "$ay" $((ax + 399)) $((ay + 299))
xdotool key a
sleep 0.3
xdotool mousemove $((ax + 50)) $((ay + 150)) mousedown 1
for step in 1 2 3 4; do xdotool mousemove $((ax + 50 + step * 50)) $((ay + 150)); sleep 0.05; done
xdotool mouseup 1
sleep 0.2
xdotool key Return
await "toast shown" 1 10 || true
watch_end
clipboard recent-a
check "A: 400 x 300 with its arrow" 400x300 "$(clip recent-a png)"
capture recent-b 900 500 200 150
await "toast shown" 1 10 || true
watch_end
clipboard recent-b
check "B: 200 x 150" 200x150 "$(clip recent-b png)"
colour_at() { convert "$1" -format "%[hex:p{$2,$3}]" info: 2>/dev/null; }  # colour_at PNG X Y
arrow=$(colour_at "$work/recent-a/clip.png" 150 150)
check "A's arrow crosses its middle" different \
    "$([ "$arrow" != "$(colour_at "$work/recent-a/clip.png" 150 120)" ] && echo different || echo "the same: $arrow")"

# Recent captures › the second capture (A) › a command, walked with the pointer.
recent_command() {  # recent_command NAME DX DY: the command at that offset, clicked
    xdotool mousemove "$icon_x" "$icon_y" click 1
    sleep 0.8
    xdotool mousemove $((icon_x + recent_dx)) $((icon_y + recent_dy))
    sleep 0.8
    xdotool mousemove $((icon_x + entry_dx)) $((icon_y + recent_dy))  # straight across into the submenu
    sleep 0.3
    xdotool mousemove $((icon_x + entry_dx)) $((icon_y + entry_dy))
    sleep 0.8
    xdotool mousemove $((icon_x + $2)) $((icon_y + entry_dy))
    sleep 0.3
    xdotool mousemove $((icon_x + $2)) $((icon_y + $3))
    sleep 0.5
    shot "recent-menu-$1"
    xdotool click 1
}
watch copy-again 10000 --until "toast gone"
recent_command copy "$copy_dx" "$copy_dy"
await "toast shown" 1 10 || true
watch_end
clipboard copy-again
check "Copy again puts A back on the clipboard" same \
    "$(cmp -s "$work/copy-again/clip.png" "$work/recent-a/clip.png" && echo same || echo differ)"
check "... and says so" "Copied  400 × 300" "$(toast_text)"

# Edit again: the crop in the middle of the monitor under the pointer (the icon's).
read -r mon_x mon_y mon_w mon_h < <([ "$icon_x" -lt "$origin" ] && echo "0 0 1280 1024" || echo "$origin 0 1920 1080")
cx=$((mon_x + (mon_w - 400) / 2)) cy=$((mon_y + (mon_h - 300) / 2))
watch edit-again 30000 --until "toast gone"
recent_command edit "$edit_dx" "$edit_dy"
await "overlay shown" 1 10 || true
sleep 0.8
shot edit-again-overlay
check "Edit again shows A at 1:1 in the middle of the monitor" "$(colour_at "$work/recent-a/clip.png" 20 20)" \
    "$(colour_at "$work/edit-again-overlay.png" $((cx + 20)) $((cy + 20)))"
check "... with its arrow" "$arrow" "$(colour_at "$work/edit-again-overlay.png" $((cx + 150)) $((cy + 150)))"
# The arrow taken by its shaft and moved 100 to the right.
xdotool mousemove $((cx + 150)) $((cy + 150)) mousedown 1
for step in 1 2 3 4 5; do xdotool mousemove $((cx + 150 + step * 20)) $((cy + 150)); sleep 0.05; done
xdotool mouseup 1
sleep 0.3
shot edit-again-moved
xdotool key Return
await "toast shown" 1 10 || true
watch_end
clipboard edit-again
check "Enter copies the capture at its size" 400x300 "$(clip edit-again png)"
check "the arrow is there where it was moved" "$arrow" "$(colour_at "$work/edit-again/clip.png" 320 150)"
check "... and gone from where it was" different \
    "$([ "$(colour_at "$work/edit-again/clip.png" 70 150)" != "$arrow" ] && echo different || echo "still $arrow")"
check "the rest is A's picture" "$(colour_at "$work/recent-a/clip.png" 20 20)" "$(colour_at "$work/edit-again/clip.png" 20 20)"
# The edited capture took A's place: the second entry is now B, the newest the edit.
watch copy-again-2 10000 --until "toast gone"
recent_command copy-2 "$copy_dx" "$copy_dy"
await "toast shown" 1 10 || true
watch_end
clipboard copy-again-2
check "the edited capture took A's place in the list" same \
    "$(cmp -s "$work/copy-again-2/clip.png" "$work/recent-b/clip.png" && echo same || echo differ)"

checks_summary "keep e2e"
