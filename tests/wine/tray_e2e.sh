#!/usr/bin/env bash
# End to end under Wine, driven with xdotool as a user would: the tray icon and its
# tooltip, the menu opened by either button or the keyboard, every menu command, the
# hotkey, the two broadcasts, About with its link, a hotkey already owned by another
# program, the icon in both theme colours and redrawn when the theme switches, a shell
# that refuses the icon at first, the start's notice, and the exit code.
#   tray_e2e.sh BINDIR WORKDIR [kestrix.exe]
# BINDIR holds host_probe.exe and its helpers. Uses $DISPLAY when it answers, else
# starts its own. Screenshots are left in WORKDIR.
set -euo pipefail
bin=$(cd "$1" && pwd)
work=$2
kestrix_exe=${3:-}
tools="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine" && pwd)"
source "$tools/common.sh"
source "$tools/display.sh"
source "$tools/checks.sh"
source "$tools/tray.sh"
kestrix_wine_env

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)

own_display=0
app_pid=
helper_pid=
https_before=
cleanup() {
    for pid in $app_pid $helper_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    if [ -n "$https_before" ]; then
        "$KESTRIX_WINE" reg add 'HKLM\Software\Classes\https\shell\open\command' /ve /d "$https_before" /f >/dev/null 2>&1 || true
    fi
    "$KESTRIX_WINE" reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize' \
        /v SystemUsesLightTheme /f >/dev/null 2>&1 || true
    release_own_display
}
kestrix_cleanup_on_exit cleanup


if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    kestrix_wine_stop  # a wineserver bound to another display must not serve this one
    own_display=1
    kestrix_display_start one "$work"
fi
"$tools/setup-prefix"
wine() { "$KESTRIX_WINE" "$@"; }
texts() { wine "$bin/window_texts.exe" "$@" 2>/dev/null | tr -d '\r'; }

# The browser is replaced by a recorder of the address it is asked to open.
https_key='HKLM\Software\Classes\https\shell\open\command'
https_before=$(wine reg query "$https_key" /ve 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p')
wine reg add "$https_key" /ve /d "\"$(winepath -w "$bin/record_link.exe")\" \"%1\"" /f >/dev/null
theme_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize'
wine reg delete "$theme_key" /v SystemUsesLightTheme /f >/dev/null 2>&1 || true

# --- helpers -------------------------------------------------------------------

out_file=
out() { tr -d '\r' <"$out_file"; }
wait_for() {  # wait_for REGEX [SECONDS]: a line of the program's output
    local i
    for i in $(seq 1 $((${2:-10} * 10))); do
        out | grep -qE "$1" && return 0
        sleep 0.1
    done
    return 1
}
count_lines() { out | grep -cE "$1" || true; }

start_app() {  # start_app NAME EXE [ARGS...]
    local name=$1; shift
    out_file="$work/$name.out"
    "$KESTRIX_WINE" "$@" >"$out_file" 2>"$work/$name.err" &
    app_pid=$!
}
finish_app() {  # sets app_status to the exit code once the program has ended ("running" if it has not)
    wait_for_exit "$app_pid"
    app_status=$exit_status
    if [ "$app_status" != running ]; then
        app_pid=
        return
    fi
    # A program left running would keep its icon and windows into every later
    # check, so it is shown and stopped here.
    show_windows "still running after 10 s"
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    app_pid=
}
show_windows() {  # show_windows REASON: every visible window, for a failure's log
    echo "  ($1; visible windows:)"
    "$KESTRIX_WINE" "$bin/window_texts.exe" --all 2>/dev/null | tr -d '\r' | sed 's/^/    /'
}
wait_until_closed() {  # wait_until_closed TITLE: until no visible window has that title (5 s)
    for _ in $(seq 1 50); do
        [ "$(texts "$1" | grep '^windows ')" = "windows 0" ] && return 0
        sleep 0.1
    done
    show_windows "a window titled $1 is still open"
    return 1
}

# Wine's notification area; the icon is found by its colour on the screen.
tray_window() { kestrix_tray_window; }
find_icon() { kestrix_find_tray_icon "$1" "$work/tray.png" 5; }  # find_icon R,G,B: sets icon_x, icon_y, icon_box
save_icon() {  # save_icon FILE: the icon and its surroundings, enlarged eight times
    local x y w h
    read -r x y w h <<<"$icon_box"
    import -window root -crop "${w}x${h}+${x}+${y}" +repage -depth 8 "$work/icon-raw.png"
    convert "$work/icon-raw.png" -filter point -resize 800% "$1"
}

# The screen rectangle ("left top right bottom", Windows coordinates) of a child that
# window_texts listed: rect_of 'Button|OK' "$texts"
rect_of() { grep "^  $1|" <<<"$2" | head -n1 | awk -F'|' '{print $NF}' | tr ',' ' '; }

read_tooltip() {  # hovers over the icon and prints the tooltip's text
    local tip=
    xdotool mousemove "$icon_x" "$icon_y"
    for _ in $(seq 1 40); do
        tip=$(texts --class tooltips_class32 | grep -m1 '^tooltips_class32|' | cut -d'|' -f2 || true)
        [ -n "$tip" ] && break
        sleep 0.1
    done
    echo "$tip"
}

# The probe reports the menu in Windows coordinates; the offset maps them to X's.
# Items by their command identifier (see tray.sh); labels in menu order.
menu_left= menu_top= item_label=()
declare -A item_x=() item_y=() item_text=()
open_menu() {  # open_menu BUTTON: clicks the icon and reads the menu the probe reports
    local before attempt
    before=$(count_lines '^menu ')
    # A click that comes while a closing dialog still holds the input is lost: one more.
    for attempt in 1 2; do
        xdotool mousemove "$icon_x" "$icon_y" click "$1"
        wait_for_count '^menu ' $((before + 1)) && { read_menu; return 0; }
        show_windows "no menu after click $attempt on the icon"
        xdotool key Escape
    done
    return 1
}
wait_for_count() {  # wait_for_count REGEX N
    local i
    for i in $(seq 1 50); do
        [ "$(count_lines "$1")" -ge "$2" ] && return 0
        sleep 0.1
    done
    return 1
}
read_menu() {
    local line cursor_x cursor_y
    line=$(out | grep '^menu ' | tail -n1)
    read -r _ menu_left menu_top _ _ _ cursor_x cursor_y <<<"$line"
    menu_at_cursor="$((menu_left - cursor_x)),$((menu_top - cursor_y))"
    # Root position of the pointer minus its Windows position.
    local px py
    eval "$(xdotool getmouselocation --shell | grep -E '^(X|Y)=')"
    px=$X py=$Y
    off_x=$((px - cursor_x)) off_y=$((py - cursor_y))
    item_label=()
    item_x=() item_y=() item_text=()
    while read -r _ index id x y label; do
        item_x[$id]=$((x + off_x)) item_y[$id]=$((y + off_y)) item_text[$id]=$label item_label[index]=$label
    done < <(out | awk '/^menu / {n = 0} /^item / {items[n++] = $0} END {for (i = 0; i < n; i++) print items[i]}')
}
menu_labels() { local IFS='|'; echo "${item_label[*]}"; }
choose() {  # choose ID: clicks an item of the open menu
    xdotool mousemove "${item_x[$1]}" "${item_y[$1]}" click 1
}
expect_event() {  # expect_event DESCRIPTION CODE: the next "event" line
    local before=$events_seen
    wait_for_count '^event ' $((before + 1)) || true
    events_seen=$(count_lines '^event ')
    check "$1" "event $2" "$(out | grep '^event ' | sed -n "$((before + 1))p")"
}
press_hotkey() {
    # Wine delivers hotkeys only while one of its windows is under the pointer or focused.
    xdotool mousemove "$icon_x" "$icon_y"
    sleep 0.2
    xdotool key ctrl+alt+a
}

english_menu="Capture region|Capture last region|Capture screen|Capture after a delay|Capture and save as…|Recent captures|---|Settings|Check for updates…|About Kestrix 0.9.22|Exit Kestrix"
menu_commands="$menu_capture_region $menu_capture_and_save_as $menu_settings $menu_updates $menu_about $menu_exit"
dark=63,197,99 light=46,158,74

# --- the host on its own: every event it raises --------------------------------

echo "== probe: dark taskbar"
events_seen=0
start_app probe "$bin/host_probe.exe"
wait_for '^ready' || true
find_icon "$dark" && icon=found || icon=missing
check "icon in the notification area, dark-theme green" found "$icon"
[ "$icon" = found ] || { echo "tray e2e: no icon, giving up"; exit 1; }
save_icon "$work/icon-dark.png"

check "tooltip" "Kestrix — Ctrl+Alt+A to capture" "$(read_tooltip)"
import -window root "$work/tooltip.png"

open_menu 1 || true
check "left click: the items with the English labels" "$english_menu" "$(menu_labels)"
check "left click: menu at the pointer" "0,0" "$menu_at_cursor"
# Where each item lies from the pointer, and the menu's own pixels, for kestrix.exe below.
menu_size=$(out | grep '^menu ' | tail -n1 | awk '{print $4 - $2 "x" $5 - $3}')
declare -A item_dx=() item_dy=()
for id in $menu_commands; do item_dx[$id]=$((item_x[$id] - icon_x)) item_dy[$id]=$((item_y[$id] - icon_y)); done
sleep 0.3
import -window root "$work/menu-screen.png"
convert "$work/menu-screen.png" -crop "${menu_size}+${icon_x}+${icon_y}" +repage "$work/menu-probe.png"
convert "$work/menu-screen.png" -crop "240x160+$((menu_left + off_x - 20))+$((menu_top + off_y - 20))" +repage \
    -filter point -resize 200% "$work/menu.png"
choose $menu_capture_region
expect_event "Capture region raises CaptureRegion" 0

xdotool mousemove "$((icon_x + 1))" "$icon_y"
open_menu 3 || true
check "right click: the same menu" "$english_menu" "$(menu_labels)"
check "right click: menu at the pointer" "0,0" "$menu_at_cursor"
choose $menu_capture_and_save_as
expect_event "Capture and save as raises CaptureAndSaveAs" 1

# Pressing without releasing opens nothing; the release does.
menus=$(count_lines '^menu ')
xdotool mousemove "$icon_x" "$icon_y" mousedown 1
sleep 1
check "button held down: no menu" "$menus" "$(count_lines '^menu ')"
xdotool mouseup 1
wait_for_count '^menu ' $((menus + 1)) || true
read_menu
choose $menu_settings
expect_event "Settings raises OpenSettings" 3

open_menu 1 || true
choose $menu_updates
expect_event "Check for updates raises CheckForUpdates" 4

press_hotkey
expect_event "the hotkey raises CaptureRegion" 0

wine "$bin/post_broadcast.exe" Kestrix.ShowSettings
expect_event "broadcast Kestrix.ShowSettings raises OpenSettings" 3

# The update-check timer (WM_TIMER = 275): only its own id raises the check.
wine "$bin/post_to_host.exe" 275 2
sleep 0.5
check "another timer raises nothing" "$events_seen" "$(count_lines '^event ')"
wine "$bin/post_to_host.exe" 275 1
expect_event "timer 1 raises ScheduledUpdateCheck" 5

open_menu 1 || true
choose $menu_about
expect_event "About raises ShowAbout" 2
about=
for _ in $(seq 1 50); do
    about=$(texts Kestrix)
    grep -q '^  SysLink|' <<<"$about" && break
    sleep 0.1
done
check "About: the text with the link" \
    'Kestrix 0.9.22\nOne shortcut. Capture, mark up, copy, continue.\n\nCapture hotkey: Ctrl+Alt+A\n<a href="https://kestrix.app/">https://kestrix.app/</a>' \
    "$(grep '^  SysLink|' <<<"$about" | cut -d'|' -f2)"
check "About: title Kestrix" "#32770|Kestrix" "$(head -n1 <<<"$about" | cut -d'|' -f1,2)"
check "About: main instruction Kestrix" 1 "$(grep -c '^  Static|Kestrix|' <<<"$about" || true)"
import -window root "$work/about.png"

press_hotkey
wait_for '^nested' 5 || true
check "hotkey while About is open: capture at once" 1 "$(count_lines '^nested')"

# The link is the last line of the text control.
read -r link_left link_top link_right link_bottom < <(rect_of SysLink "$about")
rm -f "$bin/opened-link.txt"
xdotool mousemove $((link_left + 20 + off_x)) $((link_bottom - 8 + off_y)) click 1
for _ in $(seq 1 50); do [ -s "$bin/opened-link.txt" ] && break; sleep 0.1; done
check "the link opens the web site" "https://kestrix.app/" "$(tr -d '\r' <"$bin/opened-link.txt" 2>/dev/null || true)"
# Under Wine a click on OK after the link was followed is now and then lost (About
# stays open, nothing else on screen), so OK is clicked again while About is open.
read -r ok_left ok_top ok_right ok_bottom < <(rect_of 'Button|OK' "$about")
for attempt in 1 2 3; do
    xdotool mousemove $(((ok_left + ok_right) / 2 + off_x)) $(((ok_top + ok_bottom) / 2 + off_y)) click 1
    wait_for '^about closed' 3 && break
    show_windows "About still open after click $attempt on OK"
done
check "OK closes About" 1 "$(count_lines '^about closed')"
wait_until_closed Kestrix || true

open_menu 1 || true
choose $menu_exit
expect_event "Exit Kestrix raises Quit" 6
finish_app
check "Exit: exit code" 0 "$app_status"
sleep 0.5
check "Exit: the icon is gone" "" "$(tray_window)"

# --- light taskbar, available update, quit by broadcast ------------------------

echo "== probe: light taskbar, update available"
wine reg add "$theme_key" /v SystemUsesLightTheme /t REG_DWORD /d 1 /f >/dev/null
events_seen=0
start_app probe-light "$bin/host_probe.exe" --update 1.2.3
wait_for '^ready' || true
find_icon "$light" && icon=found || icon=missing
check "icon in the light-theme green" found "$icon"
[ "$icon" = found ] && save_icon "$work/icon-light.png"
open_menu 1 || true
check "the updates item names the available update" "Kestrix 1.2.3 is available." "${item_text[$menu_updates]:-}"
choose $menu_updates
expect_event "the update item raises CheckForUpdates" 4
# A restarting shell forgets every icon and then broadcasts "TaskbarCreated".
check "shell restart: the icon is dropped" removed "$(wine "$bin/drop_tray_icon.exe" | tr -d '\r')"
sleep 0.5
check "shell restart: no icon meanwhile" "" "$(tray_window)"
xdotool mousemove 600 600
wine "$bin/post_broadcast.exe" TaskbarCreated
find_icon "$light" && icon=found || icon=missing
check "shell restart: the icon is back" found "$icon"
check "shell restart: the same tooltip" "Kestrix — Ctrl+Alt+A to capture" "$(read_tooltip)"
wine "$bin/post_broadcast.exe" Kestrix.Quit
expect_event "broadcast Kestrix.Quit raises Quit" 6
finish_app
check "Kestrix.Quit: exit code" 0 "$app_status"
sleep 0.5
check "Kestrix.Quit: the icon is gone" "" "$(tray_window)"
wine reg delete "$theme_key" /v SystemUsesLightTheme /f >/dev/null 2>&1 || true

# --- the icon switched off ------------------------------------------------------

echo "== probe: no icon"
events_seen=0
start_app probe-hidden "$bin/host_probe.exe" --no-icon
wait_for '^ready' || true
sleep 1
check "no icon when it is switched off" "" "$(tray_window)"
wine "$bin/post_broadcast.exe" TaskbarCreated
sleep 1
check "shell restart: a hidden icon stays hidden" "" "$(tray_window)"
wine "$bin/post_broadcast.exe" Kestrix.Quit
expect_event "Kestrix.Quit without an icon" 6
finish_app
check "exit code without an icon" 0 "$app_status"
# The shell (About's link) needs COM on the host's thread. Only this process has
# opened no menu: under Wine a menu initialises COM by itself.
check "the host initialises COM, apartment-threaded, on its thread" "apartment sta" \
    "$(out | grep '^apartment ' | tail -n1)"

# --- a shell that is not ready, the theme switched, keyboard selection --------------

echo "== probe: the shell refuses the icon at first"
"$KESTRIX_WINE" "$bin/refuse_tray_icons.exe" 7 >"$work/refuse.out" 2>&1 &
helper_pid=$!
refusals() { tr -d '\r' <"$work/refuse.out"; }
for _ in $(seq 1 100); do refusals | grep -q '^refusing' && break; sleep 0.1; done
check "a stand-in shell refuses every icon" refusing "$(refusals | head -n1)"
events_seen=0
start_app probe-refused "$bin/host_probe.exe"
wait_for '^ready' || true
sleep 1
check "refused: no icon" "" "$(tray_window)"
check "refused: the host keeps running" 0 "$(kill -0 "$app_pid" 2>/dev/null; echo $?)"
# With no icon Wine shows no notification area: the hotkey reaches Wine over the helper's window.
refusing_window=$(xdotool search --onlyvisible --name '^refusing tray icons$' 2>/dev/null | head -n1 || true)
[ -n "$refusing_window" ] && xdotool mousemove --window "$refusing_window" 60 60
sleep 0.3
xdotool key ctrl+alt+a
expect_event "refused: the hotkey works meanwhile" 0
wait "$helper_pid" 2>/dev/null || true
helper_pid=
find_icon "$dark" && icon=found || icon=missing
check "refused: the icon comes once the shell takes it" found "$icon"
adds=$(refusals | awk '/^add / {print $2}')
gaps=$(awk 'NR > 1 {gap = $1 - last; if (gap < 1800 || gap > 6000) bad++} {last = $1} END {print ((NR >= 3 && !bad) ? "every 2 s" : "no: " NR " adds, " bad + 0 " odd gaps")}' <<<"$adds")
check "refused: the add was tried again every 2 s ($(tr '\n' ' ' <<<"$adds")ms)" "every 2 s" "$gaps"

# The taskbar switched to light: the icon is drawn again in its green at once.
wine reg add "$theme_key" /v SystemUsesLightTheme /t REG_DWORD /d 1 /f >/dev/null
wine "$bin/send_setting_change.exe" ImmersiveColorSet
find_icon "$light" && icon=found || icon=missing
check "theme switch: the icon turns the light taskbar's green" found "$icon"
# A shell start that still knows the icon refuses a second add; it is brought up to
# date instead (here with the dark green again).
wine reg delete "$theme_key" /v SystemUsesLightTheme /f >/dev/null 2>&1 || true
wine "$bin/post_broadcast.exe" TaskbarCreated
find_icon "$dark" && icon=found || icon=missing
check "shell start with the icon still there: the icon is updated" found "$icon"

# Enter on the focused icon (NIN_KEYSELECT in the version-4 callback, the icon's anchor
# in wParam) opens the menu at the anchor, wherever the pointer is.
menus=$(count_lines '^menu ')
wine "$bin/post_to_host.exe" 0x8001 $(((500 << 16) | 700)) $(((1 << 16) | 0x401))
wait_for_count '^menu ' $((menus + 1)) || true
check "keyboard selection: the menu opens at the icon's anchor" "700 500" \
    "$(out | grep '^menu ' | tail -n1 | awk '{print $2, $3}')"
# Keys go to the Wine window under the pointer: Esc over the menu closes it.
xdotool mousemove $((700 + off_x + 30)) $((500 + off_y + 8))
sleep 0.2
xdotool key Escape
sleep 0.5
wine "$bin/post_broadcast.exe" Kestrix.Quit
expect_event "Kestrix.Quit after the shell took the icon" 6
finish_app
check "exit code after the shell took the icon" 0 "$app_status"

# --- the hotkey already owned by another program --------------------------------

echo "== probe: hotkey taken"
"$KESTRIX_WINE" "$bin/hold_hotkey.exe" 120 >"$work/hold.out" 2>&1 &
helper_pid=$!
for _ in $(seq 1 100); do grep -q held "$work/hold.out" && break; sleep 0.1; done
check "another program holds Ctrl+Alt+A" held "$(tr -d '\r' <"$work/hold.out" | head -n1)"
events_seen=0
start_app probe-taken "$bin/host_probe.exe"
in_use="Ctrl+Alt+A is already in use by another application. Use the Kestrix menu to capture, or set a different hotkey in the config file."
message=
for _ in $(seq 1 100); do
    message=$(texts Kestrix)
    grep -q '^windows [1-9]' <<<"$message" && break
    sleep 0.1
done
sleep 1.5  # a second message would have appeared by now
message=$(texts Kestrix)
check "exactly one message" "windows 1" "$(grep '^windows ' <<<"$message")"
check "the message's text" "$in_use" "$(grep '^  Static|' <<<"$message" | cut -d'|' -f2 | grep -v '^$' | head -n1)"
import -window root "$work/hotkey-taken.png"
find_icon "$dark" || true
# The menu works while the message is open; its command runs once the message is closed.
open_menu 1 || true
choose $menu_capture_region
sleep 0.5
check "no event while the message is open" 0 "$(count_lines '^event ')"
read -r ok_left ok_top ok_right ok_bottom < <(rect_of 'Button|OK' "$message")
xdotool mousemove $(((ok_left + ok_right) / 2 + off_x)) $(((ok_top + ok_bottom) / 2 + off_y)) click 1
expect_event "Capture region chosen during the message runs after it" 0
open_menu 3 || true
choose $menu_capture_and_save_as
expect_event "the menu still works" 1
open_menu 1 || true
choose $menu_exit
expect_event "Exit" 6
finish_app
check "exit code" 0 "$app_status"
kill "$helper_pid" 2>/dev/null || true
wait "$helper_pid" 2>/dev/null || true
helper_pid=

# --- kestrix.exe itself ----------------------------------------------------------

if [ -n "$kestrix_exe" ]; then
    choose_at() {  # choose_at ID: clicks an item of kestrix.exe's menu, opened at the icon
        xdotool mousemove $((icon_x + item_dx[$1])) $((icon_y + item_dy[$1])) click 1
    }
    open_app_menu() {  # open_app_menu BUTTON NAME: opens the menu and keeps its pixels
        xdotool mousemove "$icon_x" "$icon_y" click "$1"
        sleep 1
        import -window root "$work/$2-screen.png"
        convert "$work/$2-screen.png" -crop "${menu_size}+${icon_x}+${icon_y}" +repage "$work/$2.png"
        compare -metric AE "$work/$2.png" "$work/menu-probe.png" null: 2>&1 || true
    }
    wait_for_window() {  # wait_for_window TITLE: the window texts once one is shown
        local found=
        for _ in $(seq 1 100); do
            found=$(texts "$1")
            grep -q '^windows [1-9]' <<<"$found" && break
            sleep 0.1
        done
        echo "$found"
    }
    about_expected='Kestrix 0.9.22\nOne shortcut. Capture, mark up, copy, continue.\n\nCapture hotkey: Ctrl+Alt+A\n<a href="https://kestrix.app/">https://kestrix.app/</a>'

    balloon() { texts --class tooltips_class32 | grep -c "^tooltips_class32|$1" || true; }
    running_notice="Kestrix is running. Press Ctrl+Alt+A to capture."

    echo "== kestrix.exe: a start by the user, while the shell is not ready"
    "$KESTRIX_WINE" "$bin/refuse_tray_icons.exe" 3 >"$work/refuse-kestrix.out" 2>&1 &
    helper_pid=$!
    for _ in $(seq 1 100); do grep -q '^refusing' "$work/refuse-kestrix.out" && break; sleep 0.1; done
    start_app kestrix-notice "$kestrix_exe"
    wait "$helper_pid" 2>/dev/null || true
    helper_pid=
    find_icon "$dark" && icon=found || icon=missing
    check "kestrix.exe: the icon comes after the shell refused it" found "$icon"
    notices=0
    for _ in $(seq 1 100); do
        notices=$(balloon "$running_notice")
        [ "$notices" -ge 1 ] && break
        sleep 0.1
    done
    check "kestrix.exe: then its balloon says how to capture" 1 "$notices"
    import -window root "$work/kestrix-running-notice.png"
    wine "$bin/post_broadcast.exe" Kestrix.Quit
    finish_app
    check "kestrix.exe: Kestrix.Quit after the notice" 0 "$app_status"
    for _ in $(seq 1 50); do [ "$(balloon "$running_notice")" = 0 ] && break; sleep 0.2; done

    echo "== kestrix.exe"
    # As at login: no balloon over the menu.
    start_app kestrix "$kestrix_exe" "$KESTRIX_QUIET_START"
    find_icon "$dark" && icon=found || icon=missing
    check "kestrix.exe: icon in the notification area" found "$icon"
    sleep 2.5  # a balloon would be up by now
    check "kestrix.exe: a start at login says nothing" 0 "$(balloon Kestrix)"
    check "kestrix.exe: tooltip" "Kestrix — Ctrl+Alt+A to capture" "$(read_tooltip)"
    check "kestrix.exe: left click shows the same menu at the pointer" 0 "$(open_app_menu 1 kestrix-menu-left)"
    # Capture region and the hotkey each open the overlay; Esc cancels it quietly
    # (the capture road test follows a capture all the way).
    choose_at $menu_capture_region
    sleep 1.5
    xdotool key Escape
    sleep 0.5
    press_hotkey
    sleep 1.5
    xdotool key Escape
    sleep 0.5
    check "kestrix.exe: still running after Capture region and the hotkey" 0 "$(kill -0 "$app_pid" 2>/dev/null; echo $?)"
    check "kestrix.exe: right click shows the same menu" 0 "$(open_app_menu 3 kestrix-menu-right)"
    choose_at $menu_about
    about=$(wait_for_window Kestrix)
    check "kestrix.exe: About text" "$about_expected" "$(grep '^  SysLink|' <<<"$about" | cut -d'|' -f2)"
    check "kestrix.exe: About has no owner, so it has a taskbar button" "no owner" \
        "$(texts --styles Kestrix | head -n1 | awk -F'|' '{print $NF}')"
    import -window root "$work/kestrix-about.png"
    read -r ok_left ok_top ok_right ok_bottom < <(rect_of 'Button|OK' "$about")
    xdotool mousemove $(((ok_left + ok_right) / 2 + off_x)) $(((ok_top + ok_bottom) / 2 + off_y)) click 1
    wait_until_closed Kestrix || true
    check "kestrix.exe: About closed" "windows 0" "$(texts Kestrix | grep '^windows ')"
    xdotool mousemove "$icon_x" "$icon_y" click 1
    sleep 1
    choose_at $menu_exit
    finish_app
    check "kestrix.exe: Exit Kestrix ends with code 0" 0 "$app_status"
    sleep 0.5
    check "kestrix.exe: the icon is gone after Exit" "" "$(tray_window)"

    start_app kestrix-quit "$kestrix_exe" "$KESTRIX_QUIET_START"
    find_icon "$dark" || true
    wine "$bin/post_broadcast.exe" Kestrix.Quit
    finish_app
    check "kestrix.exe: Kestrix.Quit from another process ends it with code 0" 0 "$app_status"
    sleep 0.5
    check "kestrix.exe: the icon is gone after Kestrix.Quit" "" "$(tray_window)"

    "$KESTRIX_WINE" "$bin/hold_hotkey.exe" 120 >"$work/hold-kestrix.out" 2>&1 &
    helper_pid=$!
    for _ in $(seq 1 100); do grep -q held "$work/hold-kestrix.out" && break; sleep 0.1; done
    start_app kestrix-taken "$kestrix_exe" "$KESTRIX_QUIET_START"
    message=$(wait_for_window Kestrix)
    sleep 1.5  # a second message would have appeared by now
    message=$(texts Kestrix)
    check "kestrix.exe, hotkey taken: exactly one message" "windows 1" "$(grep '^windows ' <<<"$message")"
    check "kestrix.exe, hotkey taken: its text" "$in_use" \
        "$(grep '^  Static|' <<<"$message" | cut -d'|' -f2 | grep -v '^$' | head -n1)"
    import -window root "$work/kestrix-hotkey-taken.png"
    read -r ok_left ok_top ok_right ok_bottom < <(rect_of 'Button|OK' "$message")
    xdotool mousemove $(((ok_left + ok_right) / 2 + off_x)) $(((ok_top + ok_bottom) / 2 + off_y)) click 1
    find_icon "$dark" || true
    xdotool mousemove "$icon_x" "$icon_y" click 1
    sleep 1
    choose_at $menu_about
    about=$(wait_for_window Kestrix)
    check "kestrix.exe, hotkey taken: the menu still opens About" "$about_expected" \
        "$(grep '^  SysLink|' <<<"$about" | cut -d'|' -f2)"
    read -r ok_left ok_top ok_right ok_bottom < <(rect_of 'Button|OK' "$about")
    xdotool mousemove $(((ok_left + ok_right) / 2 + off_x)) $(((ok_top + ok_bottom) / 2 + off_y)) click 1
    sleep 0.5
    xdotool mousemove "$icon_x" "$icon_y" click 3
    sleep 1
    choose_at $menu_exit
    finish_app
    check "kestrix.exe, hotkey taken: Exit still works" 0 "$app_status"
    kill "$helper_pid" 2>/dev/null || true
    wait "$helper_pid" 2>/dev/null || true
    helper_pid=
fi

checks_summary "tray e2e"
