#!/usr/bin/env bash
# The whole capture road of kestrix.exe under Wine on the two-monitor display
# (primary 1920x1080 at 0,0, a 1280x1024 monitor left of it), driven with xdotool
# as a user would: the hotkey opens the overlay over both monitors; a dragged
# 640 x 480 region confirmed with Enter lands on the clipboard as a DIB and a PNG
# holding the screen's pixels, with the "Copied" toast under it; Esc and a right
# click copy nothing; "Capture and save as…" from the tray menu proposes a dated
# name and writes the typed one (or, cancelled, still copies); C copies the colour
# under the pointer; Ctrl+P pins the selection; ten captures in a row leave the
# process's GDI objects, windows and memory where they were; Alt+F4 in the text box
# cancels and the next hotkey works.
#   capture_road_e2e.sh kestrix.exe BINDIR WORKDIR
# BINDIR holds the probes (road_watch, clipboard_read, process_resources, host_probe,
# window_texts, close_window, post_broadcast). Screenshots of every step are left in WORKDIR.
# Uses $DISPLAY when it already has the two-monitor layout, else starts its own.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine/e2e.sh" "$1" "$2" "$3"
kestrix_fresh_work app save

app_pid= watch_pid= swatch_pid=
own_display=0
cleanup() {
    stop_pid "$watch_pid"
    stop_pid "$app_pid"
    stop_pid "$swatch_pid"
    release_own_display
}
kestrix_cleanup_on_exit cleanup

kestrix_use_two_monitor_display "$work"
"$tools/setup-prefix"

# --- the scene -------------------------------------------------------------------
# X root coordinates are desktop units plus 1280 (the left monitor starts at -1280).
origin=1280
# A non-repeating picture, so that a shifted, flipped or stretched copy shows, and a
# window of one known colour on the primary monitor.
read -r root_w root_h < <(xdpyinfo | awk '/dimensions:/ {split($2, s, "x"); print s[1], s[2]}')
convert -seed 977 -size "${root_w}x${root_h}" plasma:fractal -depth 8 "$work/background.png"
display -window root "$work/background.png" || true  # exits with 1 even when it worked
swatch_colour=3A7BD5 swatch_x=2600 swatch_y=700
convert -size 240x160 "xc:#$swatch_colour" -depth 8 "$work/swatch.png"
display -borderwidth 0 -geometry "+$swatch_x+$swatch_y" -title road-swatch "$work/swatch.png" &
swatch_pid=$!
for _ in $(seq 1 100); do xwininfo -name road-swatch >/dev/null 2>&1 && break; sleep 0.1; done
sleep 0.5

# kestrix.exe's own configuration beside it: the defaults (45 % dimming,
# confirmations on), English, no update checks.
config='hotkey = "Ctrl+Alt+A"
overlay_dim_percent = 45
show_confirmation = true
language = "en"
transfer_enabled = false
show_tray_icon = true
check_for_updates = false
recent_captures = 0'
# recent_captures = 0: the recent captures keep each copy in memory by design; the
# resource checks below look for what a capture leaves behind otherwise.

# --- helpers ---------------------------------------------------------------------
source "$tools/road.sh"

# A dialog left open by a failed step would hold up every later one.
close_leftovers() { wine "$bin/close_window.exe" "Save screenshot" >/dev/null 2>&1 || true; }

# One capture with the hotkey: watch, press, wait for the overlay.
hotkey_capture() {  # hotkey_capture NAME [road_watch options...]
    watch "$@"
    press_hotkey
    await "overlay shown" 1 10 || true
    sleep 0.4  # until it has painted and has the keyboard
}

# --- start ---------------------------------------------------------------------------
# The tray host's probe reports where its menu puts each item relative to the pointer;
# kestrix.exe's menu is the same menu with the same labels.
"$KESTRIX_WINE" "$bin/host_probe.exe" >"$work/host_probe.out" 2>/dev/null &
app_pid=$!
save_item_dx= save_item_dy=
if find_icon; then
    xdotool mousemove "$icon_x" "$icon_y" click 1
    for _ in $(seq 1 50); do grep -q " $menu_exit " "$work/host_probe.out" && break; sleep 0.1; done
    read -r cursor_x cursor_y < <(tr -d '\r' <"$work/host_probe.out" | sed -n 's/^menu .* cursor //p' | head -n1)
    read -r item_x item_y < <(kestrix_menu_item "$work/host_probe.out" "$menu_capture_and_save_as")
    read -r exit_x exit_y < <(kestrix_menu_item "$work/host_probe.out" "$menu_exit")
    save_item_dx=$((item_x - cursor_x)) save_item_dy=$((item_y - cursor_y))
    xdotool mousemove $((icon_x + exit_x - cursor_x)) $((icon_y + exit_y - cursor_y)) click 1
fi
for _ in $(seq 1 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
stop_pid "$app_pid"
app_pid=
check "the tray menu has Capture and save as…" "Capture and save as…" \
    "$(kestrix_menu_label "$work/host_probe.out" "$menu_capture_and_save_as")"
sleep 0.5

shot before
start_kestrix "$kestrix_exe" "$config" && icon=found || icon=missing
check "kestrix.exe: icon in the notification area" found "$icon"
[ "$icon" = found ] || { echo "capture road: no tray icon, giving up"; exit 1; }

# --- 1: hotkey, a 640 x 480 drag, Enter ------------------------------------------------
echo "== hotkey, drag, Enter"
sel_x=400 sel_y=200  # desktop units
rx=$((sel_x + origin)) ry=$sel_y
hotkey_capture copy 60000 --until "toast gone"  # ends at the toast; the limit only matters on a loaded machine
check "the hotkey opens the overlay over both monitors from the desktop origin" "-1280,0 3200x1080" "$(event 'overlay shown')"
xdotool mousemove 2200 950  # over the primary's bare desktop: it is highlighted, the left monitor dimmed
sleep 0.4
shot overlay-open
check "left monitor dimmed by 45 %" yes "$(dimmed "$(pixel before 300 900)" "$(pixel overlay-open 300 900)" 45)"
check "left monitor's corner dimmed by 45 %" yes "$(dimmed "$(pixel before 5 1019)" "$(pixel overlay-open 5 1019)" 45)"
drag "$rx" "$ry" $((rx + 639)) $((ry + 479))
shot overlay-selected
check "inside the selection: the frozen desktop, undimmed" "$(pixel before $((rx + 100)) $((ry + 100)))" \
    "$(pixel overlay-selected $((rx + 100)) $((ry + 100)))"
check "primary outside the selection dimmed" yes "$(dimmed "$(pixel before 3000 1000)" "$(pixel overlay-selected 3000 1000)" 45)"
check "left monitor dimmed" yes "$(dimmed "$(pixel before 300 900)" "$(pixel overlay-selected 300 900)" 45)"
xdotool key Return
await "toast shown" 1 10 || true
shot toast
watch_end
check "Enter closes the overlay" 1 "$(seen 'overlay gone')"
clipboard copy
check "the clipboard holds a DIB and a PNG" yes \
    "$(grep -q 'CF_DIB' <<<"$(clip copy formats)" && grep -qw 'PNG' <<<"$(clip copy formats)" && echo yes || clip copy formats)"
check "the DIB: 640 x 480, 24 bits, bottom-up, uncompressed" "640x480 24 bits compression 0" "$(clip copy dib)"
# Opened without an owner, the clipboard would be left ownerless, which makes SetClipboardData fail on Windows.
check "the host window owns the clipboard" SnapHostWindow "$(clip copy owner)"
check "the PNG decodes to 640 x 480" 640x480 "$(clip copy png)"
check "the PNG's pixels equal the DIB's" yes "$(clip copy 'png equals dib')"
convert "$work/before.png" -crop "640x480+$rx+$ry" +repage "$work/before-selection.png"
check "the PNG holds the screen under the selection, pixel for pixel" 0 \
    "$(differing "$work/copy/clip.png" "$work/before-selection.png")"
check "the DIB holds the same pixels" 0 "$(differing "$work/copy/dib.bmp" "$work/before-selection.png")"
check "the toast reads Copied, two blanks, 640 × 480" "Copied  640 × 480" "$(toast_text)"
read -r toast_xy toast_size <<<"$(toast_place)"
toast_w=${toast_size%x*} toast_h=${toast_size#*x}
check "the toast is centred 12 units below the selection" "$((sel_x + (640 - toast_w) / 2)),$((sel_y + 480 + 12))" "$toast_xy"
check "the toast is on screen where it says" 26,26,26 "$(pixel toast $((origin + sel_x + 320)) $((sel_y + 480 + 12 + 2)))"
check "the toast goes after about 1.1 s" "in range" \
    "$(within 1050 1600 "$(between 'toast shown' 'toast gone')")"

# --- 2: Esc and the right button copy nothing -----------------------------------------
cancel_case() {  # cancel_case NAME DESCRIPTION: the overlay is open; the caller cancels it
    await "overlay gone" 1 5 || true
    sleep 1.5  # a toast would be up by now
    watch_end
    clipboard "$1"
    check "$2: the overlay closes" 1 "$(seen 'overlay gone')"
    check "$2: no toast" 0 "$(seen 'toast shown')"
    check "$2: the clipboard is untouched" "road marker none" "$(clip "$1" text) $(clip "$1" dib)"
}
echo "== Esc and right click"
mark_clipboard "road marker"
hotkey_capture esc-selecting 8000
xdotool mousemove 2200 600 key Escape
cancel_case esc-selecting "Esc before a selection"

hotkey_capture esc-selected 8000
drag "$rx" "$ry" $((rx + 639)) $((ry + 479))
xdotool key Escape
cancel_case esc-selected "Esc with a selection"

hotkey_capture right-click 8000
drag "$rx" "$ry" $((rx + 639)) $((ry + 479))
xdotool mousemove $((rx + 300)) $((ry + 300)) click 3
cancel_case right-click "right click with a selection"

# --- 6: ten captures in a row, the process's resources before and after -----------------
# Measured after the captures above (the first capture of a process sets up what
# stays: window classes, fonts) and before the Save dialog and the pin load more.
# GetGuiResources is a stub answering 0 under Wine, so GDI objects are also counted
# in the process's GDI handle table, and user objects as the process's windows;
# where GetProcessMemoryInfo cannot read another process, the Linux process's
# anonymous resident memory (RssAnon) stands in for its private bytes.
echo "== ten captures"
resources() {  # resources NAME: the process's figures into $work/NAME.res
    sleep 0.5
    wine "$bin/process_resources.exe" 2>/dev/null | tr -d '\r' >"$work/$1.res"
    if [ -r "/proc/$app_pid/status" ]; then
        awk '$1 == "RssAnon:" {print "rss-anon", $2 * 1024}' "/proc/$app_pid/status" >>"$work/$1.res"
    fi
}
res() { sed -n "s/^$2 //p" "$work/$1.res"; }
grow() {  # grow FIGURE: after minus before, or "unavailable"
    local before after
    before=$(res resources-before "$1") after=$(res resources-after "$1")
    if [[ "$before$after" =~ ^[0-9]+$ ]] && [ -n "$before" ] && [ -n "$after" ] && [ "$after" != 0 ]; then
        echo $((after - before))
    else
        echo unavailable
    fi
}
resources resources-before
# The counts must see what an open overlay holds, or a leak could not show in them.
hotkey_capture resources-open 8000 --until "overlay gone"
resources resources-open
xdotool key Escape
watch_end
check "the GDI count sees the open overlay's objects" yes \
    "$([ "$(res resources-open gdi-table)" -gt $(($(res resources-before gdi-table) + 4)) ] && echo yes ||
        echo "no: $(res resources-before gdi-table) -> $(res resources-open gdi-table)")"
check "the window count sees the open overlay" $(($(res resources-before windows) + 1)) "$(res resources-open windows)"

watch ten 120000 --until "toast gone" --times 10
for i in $(seq 1 10); do
    press_hotkey
    await "overlay shown" "$i" 10 || break
    sleep 0.4
    drag "$rx" "$ry" $((rx + 639)) $((ry + 479))
    xdotool key Return
    await "toast gone" "$i" 10 || break
done
watch_end
resources resources-after
check "ten captures: ten overlays and ten toasts" "10 10" "$(seen 'overlay gone') $(seen 'toast gone')"
check "ten captures: the clipboard taken each time" yes "$([ "$(seen 'clipboard changed')" -ge 10 ] && echo yes || seen 'clipboard changed')"
echo "resources before, with the overlay open, and after ten captures:"
join <(sort "$work/resources-before.res") <(sort "$work/resources-open.res") | join - <(sort "$work/resources-after.res") |
    column -t | sed 's/^/    /'
if [ "$(res resources-after gui-gdi)" = 0 ]; then
    echo "    (GetGuiResources answers 0 here: the handle table and the window count are the measures)"
else
    check "GDI objects (GetGuiResources) grow by at most 2" "in range" "$(within -1000 2 "$(grow gui-gdi)")"
    check "user objects (GetGuiResources) grow by at most 2" "in range" "$(within -1000 2 "$(grow gui-user)")"
fi
check "live GDI objects (handle table) grow by at most 2" "in range" "$(within -1000 2 "$(grow gdi-table)")"
check "the process has as many windows as before" 0 "$(grow windows)"
if [ "$(grow handles)" != unavailable ]; then
    check "kernel handles grow by at most 4" "in range" "$(within -1000 4 "$(grow handles)")"
fi
# One leaked 640 x 480 picture a capture would be 12 MB over ten, one frozen desktop 138 MB.
if [ "$(grow private)" != unavailable ]; then
    check "private bytes grow by at most 2 MiB" "in range" "$(within -1000000000 2097152 "$(grow private)")"
else
    echo "    (GetProcessMemoryInfo cannot read another process here: RssAnon is the measure)"
    check "anonymous resident memory grows by at most 2 MiB" "in range" "$(within -1000000000 2097152 "$(grow rss-anon)")"
fi

# --- 3: Capture and save as… from the tray menu ---------------------------------------
# The menu opens at the pointer and takes no keyboard here (its window never has the
# X focus), so its second item is clicked where the host probe's menu had it.
menu_capture_and_save() {
    xdotool mousemove "$icon_x" "$icon_y" click 1
    sleep 0.8
    shot "$1-menu"
    xdotool mousemove $((icon_x + save_item_dx)) $((icon_y + save_item_dy)) click 1
}
save_x=-1000 save_y=100  # desktop units, on the left monitor: 480 x 360
srx=$((save_x + origin))
proposed_pattern='^Kestrix [0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}-[0-9]{2}-[0-9]{2}\.png$'

echo "== Capture and save as…, a typed name"
watch save 30000 --until "toast gone"
menu_capture_and_save save
await "overlay shown" 1 10 || true
sleep 0.4
drag "$srx" "$save_y" $((srx + 479)) $((save_y + 359))
xdotool key Return
await "dialog shown" 1 10 || true
sleep 0.5  # until it has the keyboard
dialog=$(texts "Save screenshot")
shot save-dialog
proposed=$(grep '^  Edit|' <<<"$dialog" | head -n1 | cut -d'|' -f2 || true)
check "the dialog titled Save screenshot proposes Kestrix YYYY-MM-DD HH-MM-SS.png" yes \
    "$(grep -qE "$proposed_pattern" <<<"$proposed" && echo yes || echo "no: '$proposed'")"
stamp=$(sed -E 's/^Kestrix ([0-9-]{10}) ([0-9]{2})-([0-9]{2})-([0-9]{2})\.png$/\1 \2:\3:\4/' <<<"$proposed")
age=$(( $(date +%s) - $(date -d "$stamp" +%s 2>/dev/null || echo 0) ))
check "the proposed name is the local time of the capture" "in range" "$(within -5 60 "$age")"
# Clicked into the name box first, as a user would: the dialog does not always have the
# keyboard after the overlay has gone. The whole path, without extension: the dialog
# may open in a folder remembered from an earlier run of the program in this prefix.
type_save_name "$(winpath "$work/save/road-shot")"
xdotool key Return
if ! await "toast shown" 1 10; then
    echo "(visible windows:)"
    texts --all | sed 's/^/    /'
fi
shot save-toast
watch_end
check "a name without extension is saved with .png added" yes \
    "$([ -f "$work/save/road-shot.png" ] && echo yes || echo "no: $(ls "$work/save")")"
check "the file is a 480 x 360 PNG" "PNG 480x360" "$(identify -format '%m %wx%h' "$work/save/road-shot.png" 2>&1)"
convert "$work/before.png" -crop "480x360+$srx+$save_y" +repage "$work/before-save.png"
check "the file holds the screen under the selection" 0 "$(differing "$work/save/road-shot.png" "$work/before-save.png")"
clipboard saved-clipboard
check "the same picture is on the clipboard" "480x360 0" \
    "$(clip saved-clipboard png) $(differing "$work/saved-clipboard/clip.png" "$work/before-save.png")"
check "the toast reads Copied and saved, two blanks, road-shot.png" "Copied and saved  road-shot.png" "$(toast_text)"
read -r toast_xy toast_size <<<"$(toast_place)"
check "that toast sits below the selection" "$((save_y + 360 + 12))" "${toast_xy#*,}"
close_leftovers

echo "== Capture and save as…, the dialog cancelled"
mark_clipboard "road marker"
watch save-cancel 30000 --until "toast gone"
menu_capture_and_save save-cancel
await "overlay shown" 1 10 || true
sleep 0.4
drag "$srx" "$save_y" $((srx + 479)) $((save_y + 359))
xdotool key Return
await "dialog shown" 1 10 || true
sleep 0.5
for _ in 1 2 3 4; do  # until the dialog has gone: the first click may come too early
    click_control "$(texts "Save screenshot")" "Button|Cancel"
    sleep 0.5
    texts "Save screenshot" | grep -q '^windows [1-9]' || break
done
await "toast shown" 1 10 || true
watch_end
clipboard save-cancel
check "cancelled: the picture is on the clipboard all the same" "480x360 yes" \
    "$(clip save-cancel png) $(clip save-cancel 'png equals dib')"
check "cancelled: the toast reads Copied  480 × 360" "Copied  480 × 360" "$(toast_text)"
check "cancelled: no other file written" "road-shot.png" "$(ls "$work/save" | paste -sd' ')"
close_leftovers

# --- 4: C copies the colour under the pointer ------------------------------------------
echo "== C over a known colour"
hotkey_capture colour 10000 --until "toast gone"
xdotool mousemove $((swatch_x + 120)) $((swatch_y + 80))
sleep 0.3
shot colour-overlay
xdotool key c
await "toast shown" 1 5 || true
shot colour-toast
watch_end
clipboard colour
check "C puts the colour's text on the clipboard" "#$swatch_colour" "$(clip colour text)"
check "the overlay closes about 400 ms after the copy" "in range" "$(within 350 800 "$(between 'clipboard changed' 'overlay gone')")"
check "the toast reads Copied  #$swatch_colour" "Copied  #$swatch_colour" "$(toast_text)"
read -r toast_xy toast_size <<<"$(toast_place)"
toast_w=${toast_size%x*} toast_h=${toast_size#*x}
check "without a selection it sits centred at the primary monitor's bottom" \
    "$(((1920 - toast_w) / 2)),$((1080 - toast_h - 8))" "$toast_xy"

# --- 5: Ctrl+P pins the selection ---------------------------------------------------------
echo "== Ctrl+P"
mark_clipboard "road marker"
hotkey_capture pin 15000 --until "pin gone"
drag "$rx" "$ry" $((rx + 639)) $((ry + 479))
xdotool key ctrl+p
if await "pin shown" 1 5; then
    xdotool mousemove 2400 1000  # off the pin: no close button drawn
    sleep 0.4
    shot pin
    check "the pin window stands where the selection was" "$sel_x,$sel_y 640x480" "$(event 'pin shown')"
    convert "$work/pin.png" -crop "638x478+$((rx + 1))+$((ry + 1))" +repage "$work/pin-inside.png"
    convert "$work/before.png" -crop "638x478+$((rx + 1))+$((ry + 1))" +repage "$work/before-pin-inside.png"
    # The frame is drawn by the pin itself, so it shows the pin has painted.
    check "it has painted its grey frame" "85,85,85 85,85,85" \
        "$(pixel pin "$rx" $((ry + 240))) $(pixel pin $((rx + 639)) $((ry + 100)))"
    check "it shows the captured pixels inside its frame" 0 "$(differing "$work/pin-inside.png" "$work/before-pin-inside.png")"
    check "class KestrixPinWindow" 1 "$(texts --class KestrixPinWindow | grep -c '^KestrixPinWindow|' || true)"
    xdotool mousemove $((rx + 320)) $((ry + 240)) click 1
    sleep 0.3
    xdotool key Escape
    await "pin gone" 1 5 || true
else
    shot pin-missing
    wine "$bin/close_window.exe" Kestrix >/dev/null 2>&1 || true  # an error message, if any
fi
watch_end
clipboard pin
check "Esc closes the pin" 1 "$(seen 'pin gone')"
check "pinning copies nothing and shows no toast" "0 road marker none" \
    "$(seen 'toast shown') $(clip pin text) $(clip pin dib)"

# --- 7: Alt+F4 while the text box has the focus -------------------------------------------
# The overlay must end as a cancel, or its loop never returns: the hotkey would stay
# ignored and Exit could not run.
echo "== Alt+F4 in the text box"
mark_clipboard "road marker"
hotkey_capture alt-f4 15000 --until "overlay gone"
drag "$rx" "$ry" $((rx + 639)) $((ry + 479))
tb_x=$((rx + 640 - 651)) tb_y=$((ry + 480 + 10))  # the toolbar, right-aligned below the selection
xdotool mousemove $((tb_x + 8 + 39 * 8 + 16)) $((tb_y + 24)) click 1  # Text
sleep 0.3
xdotool mousemove $((rx + 60)) $((ry + 60)) click 1
sleep 0.4
xdotool type --delay 40 abc
shot alt-f4-text
xdotool key alt+F4
await "overlay gone" 1 5 || true
watch_end
clipboard alt-f4
check "Alt+F4 in the text box closes the overlay and copies nothing" "1 road marker" \
    "$(seen 'overlay gone') $(clip alt-f4 text)"
hotkey_capture after-alt-f4 8000 --until "overlay gone"
check "the hotkey opens the overlay again afterwards" 1 "$(seen 'overlay shown')"
xdotool key Escape
watch_end

# --- the end -----------------------------------------------------------------------------
wine "$bin/post_broadcast.exe" Kestrix.Quit
wait_for_exit "$app_pid"
[ "$exit_status" = running ] || app_pid=
check "Kestrix.Quit ends kestrix.exe with code 0" 0 "$exit_status"

checks_summary "capture road e2e"
