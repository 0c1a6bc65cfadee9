#!/usr/bin/env bash
# kestrix.exe keeping captures, under Wine on the two-monitor display, driven with
# xdotool: with a capture folder set, each Enter writes a new file holding exactly the
# clipboard's PNG (two captures under one name give "name.png" and "name (2).png") and
# the toast names it; Save As with a .jpg name writes a JPEG of the selection's size;
# a folder that cannot be made gives one message and the clipboard still holds the
# picture.
#   keep_e2e.sh kestrix.exe BINDIR WORKDIR
# BINDIR holds road_watch, clipboard_read and window_texts. Screenshots stay in WORKDIR.
set -euo pipefail
kestrix_exe=$(realpath "$1")
bin=$(cd "$2" && pwd)
work=$3
tools="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine" && pwd)"
source "$tools/common.sh"
source "$tools/display.sh"
kestrix_wine_env

rm -rf "$work"
mkdir -p "$work/app" "$work/save"
work=$(cd "$work" && pwd)
source "$tools/checks.sh"

app_pid= watch_pid=
own_display=0
stop_pid() {
    [ -n "$1" ] || return 0
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
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

start_kestrix() {  # start_kestrix SAVE_FOLDER: a fresh kestrix.exe with that capture folder
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
typed=$(winpath "$work/save/picture.jpg")
name_box() { texts "Save screenshot" | grep '^  Edit|' | head -n1 | cut -d'|' -f2; }
for attempt in 1 2 3 4; do
    click_control "$(texts "Save screenshot")" "Edit"
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 20 "$typed"
    sleep 0.3
    [ "$(name_box)" = "$typed" ] && break
    echo "(typing $attempt: the name box holds '$(name_box)')"
    sleep 0.5
done
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

checks_summary "keep e2e"
