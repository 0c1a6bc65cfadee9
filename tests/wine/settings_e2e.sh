#!/usr/bin/env bash
# The Settings window of kestrix.exe under Wine, driven with xdotool as a user would:
# opened from the tray menu and by a second start (a third start brings the same
# window forward); a hotkey recorded, a plain key refused, Escape; the window
# relabelled in German and French and back to the system's language; the status icon
# hidden (then the new hotkey is the only way in and a second start the way back);
# the file written exactly as rendered, and not at all when nothing changed; start at
# login in the Run key, and left off when the system's startup settings turned it off.
#   settings_e2e.sh kestrix.exe BINDIR WORKDIR
#   settings_e2e.sh kestrix.exe BINDIR WORKDIR --screenshots LANG...   (only the screenshots)
# BINDIR holds the probes (control_states, catalogue_text, host_probe, windows_fixture,
# window_texts). Screenshots are left in WORKDIR as settings-LANG.png. Uses $DISPLAY
# when it already has the two-monitor layout, else starts its own.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine/e2e.sh" "$1" "$2" "$3"
shift 3
screenshot_languages=()
if [ "${1:-}" = --screenshots ]; then
    shift
    screenshot_languages=("$@")
fi
kestrix_fresh_work app

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
approved_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run'
app_pid= probe_pid= host_probe_pid= fixture_pid= holder_pid=
own_display=0
forget_login() {
    "$KESTRIX_WINE" reg delete "$run_key" /v Kestrix /f >/dev/null 2>&1 || true
    "$KESTRIX_WINE" reg delete "$approved_key" /v Kestrix /f >/dev/null 2>&1 || true
}
cleanup() {
    # Away from the tray icon: the next script's first hover must be a move.
    xdotool mousemove 0 0 2>/dev/null || true
    touch "$work/fixture.stop" 2>/dev/null || true
    stop_pid "$app_pid"
    stop_pid "$host_probe_pid"
    stop_pid "$holder_pid"
    echo quit >&7 2>/dev/null || true
    exec 7>&- 8<&- 2>/dev/null || true
    stop_pid "$probe_pid"
    stop_pid "$fixture_pid"
    forget_login
    release_own_display
}
kestrix_cleanup_on_exit cleanup

kestrix_use_two_monitor_display "$work"
"$tools/setup-prefix"
wine() { "$KESTRIX_WINE" "$@"; }
# X root coordinates are desktop units plus 1280 (the left monitor starts at -1280).
origin=1280

exe="$work/app/kestrix.exe"
cp "$kestrix_exe" "$exe"
config="$work/app/kestrix.toml"
exe_windows=$(winepath -w "$exe" 2>/dev/null | tr -d '\r')

# --- helpers -----------------------------------------------------------------------

# One probe process answers every question about the windows (a Wine process takes a
# while to start): a request a line in, the answer and "end" out.
mkfifo "$work/probe.in" "$work/probe.out"
"$KESTRIX_WINE" "$bin/control_states.exe" --serve <"$work/probe.in" >"$work/probe.out" 2>/dev/null &
probe_pid=$!
exec 7>"$work/probe.in" 8<"$work/probe.out"
ask() {  # ask REQUEST: the probe's answer
    local line
    echo "$1" >&7
    while IFS= read -r -t 30 line <&8; do
        line=${line%$'\r'}
        [ "$line" = end ] && return 0
        printf '%s\n' "$line"
    done
}
states() { ask "class KestrixSettings"; }

# The program's own texts, one language at a time: text LANG MESSAGE [ARGUMENT].
text() {
    local file="$work/catalogue-$1.txt" value
    [ -s "$file" ] || wine "$bin/catalogue_text.exe" "$1" 2>/dev/null | tr -d '\r' >"$file"
    value=$(grep -m1 "^$2=" "$file" | cut -d= -f2- || true)
    [ $# -lt 3 ] || value=${value/\{\}/$3}
    printf '%s\n' "$value"
}
texts() { local language=$1 message; shift; for message; do text "$language" "$message"; done; }
settings_now=
# Waits until COUNT Settings windows are open (10 s); settings_now holds the last reading.
wait_settings() {  # wait_settings COUNT
    for _ in $(seq 1 100); do
        settings_now=$(states)
        grep -qx "windows $1" <<<"$settings_now" && return 0
        sleep 0.1
    done
    return 1
}
refresh() { settings_now=$(states); }
# A field of a control's line (2 class, 3 text, 4 rect, 5 checked, 6 enabled, 7 list).
field() { grep "^$1|" <<<"$settings_now" | head -n1 | cut -d'|' -f"$2"; }
window_field() { grep '^window|' <<<"$settings_now" | head -n1 | cut -d'|' -f"$1"; }
# Waits (5 s) until a control's field reads VALUE; the reading is kept either way.
wait_field() {  # wait_field ID FIELD VALUE
    for _ in $(seq 1 50); do
        refresh
        [ "$(field "$1" "$2")" = "$3" ] && return 0
        sleep 0.1
    done
    return 1
}
# Waits (5 s) until some child shows exactly TEXT.
wait_text() {  # wait_text TEXT
    for _ in $(seq 1 50); do
        refresh
        grep -qF "|$1|" <<<"$settings_now" && return 0
        sleep 0.1
    done
    return 1
}
shows() { grep -cF "|$1|" <<<"$settings_now" || true; }  # shows TEXT: how many children show it
click_control() {  # click_control ID: the middle of a child of the Settings window
    local left top right bottom
    read -r left top right bottom < <(field "$1" 4 | tr ',' ' ') || true
    [ -n "$bottom" ] || { echo "    (no control $1 to click)"; return 0; }
    xdotool mousemove $(((left + right) / 2 + origin)) $(((top + bottom) / 2)) click 1
    sleep 0.3
}
shot_settings() {  # shot_settings NAME: the Settings window's own pixels
    local left top right bottom
    read -r left top right bottom < <(window_field 3 | tr ',' ' ') || true
    [ -n "$bottom" ] || { echo "    (no Settings window to photograph for $1)"; return 0; }
    sleep 0.4  # until the last change has been painted
    import -window root -crop "$((right - left))x$((bottom - top))+$((left + origin))+$top" +repage -depth 8 \
        "$work/$1.png"
}

button=0x2001 languages=0x2002 dims=0x2003
confirmation=0x2004 sending=0x2005 login=0x2006 icon=0x2007 done=0x2008 updates=0x2009

# The texts that follow the language: the three labels, the five check boxes, Done.
relabelled_messages=(settings_hotkey_label settings_language_label settings_dim settings_confirmation send_allow
    settings_start_at_login settings_show_icon settings_check_updates settings_done)
shown_texts() {  # the same texts as the window shows them, in that order
    grep '^0x0000|Static|' <<<"$settings_now" | head -n3 | cut -d'|' -f3
    for id in $confirmation $sending $login $icon $updates $done; do field "$id" 3; done
}

# Starts kestrix.exe as the first copy; its icon shows when it is up.
start_app() {  # start_app NAME
    "$KESTRIX_WINE" "$exe" "$KESTRIX_QUIET_START" >"$work/$1.out" 2>"$work/$1.err" &
    app_pid=$!
}
# A second start: exits at once after asking the first copy to open Settings.
second_start() {
    local code=0
    timeout 60 "$KESTRIX_WINE" "$exe" >/dev/null 2>&1 || code=$?
    echo "$code"
}

tray_window() { kestrix_tray_window; }
find_icon() { kestrix_find_tray_icon 63,197,99 "$work/tray.png"; }  # by its dark-theme green

# Opens the tray menu and clicks its Settings item where the host probe's menu had it.
choose_menu_settings() {
    xdotool mousemove "$icon_x" "$icon_y" click 1
    for _ in $(seq 1 100); do ask "class #32768" | grep -qx 'windows 1' && break; sleep 0.1; done
    sleep 0.3
    xdotool mousemove $((icon_x + settings_dx)) $((icon_y + settings_dy)) click 1
}

overlay_open() { ask "class SnapRegionOverlay" | sed -n 's/^windows //p'; }
# Presses a hotkey with the pointer at X,Y (over a Wine window, so that Wine sees the
# keys) and reports whether the overlay opened within 4 s; Esc closes it again.
hotkey_opens_overlay() {  # hotkey_opens_overlay KEYS X Y
    xdotool mousemove "$2" "$3"
    sleep 0.3
    xdotool key "$1"
    for _ in $(seq 1 20); do
        if [ "$(overlay_open)" -ge 1 ]; then
            sleep 0.5
            xdotool key Escape
            for _ in $(seq 1 30); do [ "$(overlay_open)" = 0 ] && break; sleep 0.1; done
            echo opened
            return
        fi
        sleep 0.2
    done
    echo "not opened"
}

# --- screenshots only ------------------------------------------------------------------

if [ "${#screenshot_languages[@]}" -gt 0 ]; then
    for language in "${screenshot_languages[@]}"; do
        printf 'language = "%s"\ncheck_for_updates = false\n' "$language" >"$config"
        start_app "shot-$language"
        find_icon || true
        second_start >/dev/null
        wait_settings 1 && opened=yes || opened=no
        check "a Settings window in $language" yes "$opened"
        if [ "$opened" = yes ]; then
            shot_settings "settings-$language"
            echo "$settings_now"
            echo "screenshot: $work/settings-$language.png"
            click_control $done
        fi
        wine "$bin/post_broadcast.exe" Kestrix.Quit >/dev/null 2>&1 || true
        wait_for_exit "$app_pid" 20
        [ "$exit_status" = running ] && stop_pid "$app_pid"
        app_pid=
    done
    checks_summary "settings screenshots"
    exit
fi

# --- the menu's Settings item, learned from the tray host's probe ------------------------

forget_login
"$KESTRIX_WINE" "$bin/host_probe.exe" >"$work/host_probe.out" 2>/dev/null &
host_probe_pid=$!
settings_dx= settings_dy=
if find_icon; then
    xdotool mousemove "$icon_x" "$icon_y" click 1
    for _ in $(seq 1 200); do grep -q " $menu_exit " "$work/host_probe.out" && break; sleep 0.1; done
    read -r cursor_x cursor_y < <(tr -d '\r' <"$work/host_probe.out" | sed -n 's/^menu .* cursor //p' | head -n1)
    read -r item_x item_y < <(kestrix_menu_item "$work/host_probe.out" "$menu_settings")
    read -r exit_x exit_y < <(kestrix_menu_item "$work/host_probe.out" "$menu_exit")
    settings_dx=$((item_x - cursor_x)) settings_dy=$((item_y - cursor_y))
    xdotool mousemove $((icon_x + exit_x - cursor_x)) $((icon_y + exit_y - cursor_y)) click 1
fi
wait_for_exit "$host_probe_pid" 20
[ "$exit_status" = running ] && stop_pid "$host_probe_pid"
host_probe_pid=
check "the tray menu has Settings" "Settings" "$(kestrix_menu_label "$work/host_probe.out" "$menu_settings")"
sleep 0.5

# --- opened from the tray menu; closed unchanged ------------------------------------------

echo "== from the tray menu"
# A hand-written file: its comments and order would not survive a rewrite.
cat >"$config" <<'TOML'
# My own notes, kept as long as nothing changes.
Language = en
overlay_dim_percent = 50   # between two of the list's steps
check_for_updates = off
TOML
touch -d '2024-01-02 03:04:05' "$config"
cp "$config" "$work/config-before"
stamp_before=$(stat -c %y "$config")

start_app first
find_icon && tray_icon=found || tray_icon=missing
check "kestrix.exe: the icon is shown" found "$tray_icon"
[ "$tray_icon" = found ] || { echo "settings e2e: no tray icon, giving up"; exit 1; }
choose_menu_settings
wait_settings 1 && opened=yes || opened=no
check "the menu's Settings opens one Settings window" yes "$opened"
[ "$opened" = yes ] || { echo "$settings_now"; echo "settings e2e: no Settings window, giving up"; exit 1; }
echo "$settings_now" | sed 's/^/    /'
check "its title" "Kestrix Settings" "$(window_field 2)"
check "the button shows the hotkey" "Ctrl+Alt+A" "$(field $button 3)"
check "the language list: Follow the system first, English selected" "20 items, first Follow the system, selected English" \
    "$(field $languages 7)"
check "the dim list shows 45% for the file's 50" "6 items, first 0%, selected 45%" "$(field $dims 7)"
check "the check boxes show the file's values" "checked unchecked unchecked checked unchecked" \
    "$(for id in $confirmation $sending $login $icon $updates; do field "$id" 5; done | tr '\n' ' ' | sed 's/ $//')"
check "start at login is offered" enabled "$(field $login 6)"
check "the labels, check boxes and Done in English" "$(texts en "${relabelled_messages[@]}")" "$(shown_texts)"
shot_settings settings-en
click_control $done
wait_settings 0 && closed=yes || closed=no
check "Done closes it" yes "$closed"
sleep 0.5
check "closed unchanged: the file's bytes are the same" same "$(cmp -s "$config" "$work/config-before" && echo same || echo different)"
check "closed unchanged: the file's time stamp is the same" "$stamp_before" "$(stat -c %y "$config")"
check "closed unchanged: the icon stays" 1 "$([ -n "$(tray_window)" ] && echo 1 || echo 0)"

# --- a second start opens it; a third brings the same window forward -----------------------

echo "== second and third start"
check "a second start exits with 0" 0 "$(second_start)"
wait_settings 1 && opened=yes || opened=no
check "a second start opens Settings" yes "$opened"
first_rect=$(window_field 3)
# Windows of another program now cover it.
rm -f "$work/fixture.ready" "$work/fixture.stop"
"$KESTRIX_WINE" "$bin/windows_fixture.exe" "$(winepath -w "$work" | tr -d '\r')\\fixture.ready" \
    "$(winepath -w "$work" | tr -d '\r')\\fixture.stop" >/dev/null 2>&1 &
fixture_pid=$!
for _ in $(seq 1 100); do [ -f "$work/fixture.ready" ] && break; sleep 0.1; done
rank() { ask top | grep -nF "|$1" | head -n1 | cut -d: -f1; }  # rank TITLE: 1 for the topmost window
check "the fixture's window is above Settings" 1 "$(( $(rank 'fixture 640x480') < $(rank 'Kestrix Settings') ))"
check "a third start exits with 0" 0 "$(second_start)"
for _ in $(seq 1 30); do
    [ "$(rank 'Kestrix Settings')" -lt "$(rank 'fixture 640x480')" ] && break
    sleep 0.1
done
refresh
check "a third start leaves one Settings window" "windows 1" "$(tail -n1 <<<"$settings_now")"
check "the same window, where it was" "$first_rect" "$(window_field 3)"
check "a third start brings it above the other program's windows" 1 \
    "$(( $(rank 'Kestrix Settings') < $(rank 'fixture 640x480') ))"
shot_settings settings-forward
# The menu's Settings while it is open: still the one window.
choose_menu_settings
sleep 1
refresh
check "the menu's Settings while it is open leaves one window" "windows 1" "$(tail -n1 <<<"$settings_now")"
check "the same window still" "$first_rect" "$(window_field 3)"

# Another program takes Ctrl+Alt+A while the recorder has let it go: closing says so.
click_control $button
wait_field $button 3 "$(text en settings_recording)" || true
"$KESTRIX_WINE" "$bin/hold_hotkey.exe" 120 >"$work/hold.out" 2>&1 &
holder_pid=$!
for _ in $(seq 1 100); do grep -q held "$work/hold.out" && break; sleep 0.1; done
check "another program now holds Ctrl+Alt+A" held "$(tr -d '\r' <"$work/hold.out" | head -n1)"
click_control $button
xdotool key Escape
click_control $done
in_use=$(text en error_hotkey_in_use Ctrl+Alt+A)
message=
for _ in $(seq 1 100); do
    message=$(ask "class #32770")
    grep -qF "|$in_use|" <<<"$message" && break
    sleep 0.1
done
check "closing with the hotkey taken: one message" "windows 1" "$(grep '^windows ' <<<"$message")"
check "closing with the hotkey taken: its text" 1 "$(grep -cF "|$in_use|" <<<"$message" || true)"
check "closing with the hotkey taken: titled Kestrix" Kestrix "$(grep '^window|' <<<"$message" | cut -d'|' -f2)"
shot_message() { import -window root -depth 8 "$work/$1.png"; }
shot_message settings-hotkey-taken
read -r left top right bottom < <(grep '|OK|' <<<"$message" | head -n1 | cut -d'|' -f4 | tr ',' ' ') || true
[ -n "${bottom:-}" ] && xdotool mousemove $(((left + right) / 2 + origin)) $(((top + bottom) / 2)) click 1
for _ in $(seq 1 50); do ask "class #32770" | grep -qx 'windows 0' && break; sleep 0.1; done
stop_pid "$holder_pid"
holder_pid=
check "the file is still untouched" same "$(cmp -s "$config" "$work/config-before" && echo same || echo different)"
second_start >/dev/null
wait_settings 1 || true

# --- recording a hotkey ---------------------------------------------------------------------

echo "== recording"
click_control $button
wait_field $button 3 "$(texts en settings_recording)" || true
check "a click asks for a combination" "$(texts en settings_recording)" "$(field $button 3)"
xdotool key ctrl+shift+s
wait_field $button 3 "Ctrl+Shift+S" || true
check "Ctrl+Shift+S is recorded and shown" "Ctrl+Shift+S" "$(field $button 3)"
click_control $button
xdotool key s
refused=$(text en settings_plain_key_refused "Ctrl / Alt / Shift / Win")
wait_text "$refused" || true
check "plain S is refused with Ctrl / Alt / Shift / Win" 1 "$(shows "$refused")"
check "after the refusal it still waits" "$(texts en settings_recording)" "$(field $button 3)"
shot_settings settings-refused
# Shift with a letter types it, read from the keyboard layout (Wine has only the US one;
# AltGr layouts are the core's tests).
xdotool key shift+s
types_s=$(text en settings_hotkey_types "S")
wait_text "$types_s" || true
check "Shift+S is refused: it types \"S\"" 1 "$(shows "$types_s")"
check "after that refusal it still waits" "$(texts en settings_recording)" "$(field $button 3)"
shot_settings settings-types-character
xdotool key F9
wait_field $button 3 F9 || true
check "F9 alone is accepted" F9 "$(field $button 3)"
check "the refusals are gone" 00 "$(shows "$refused")$(shows "$types_s")"
click_control $button
wait_field $button 3 "$(texts en settings_recording)" || true
xdotool key Escape
wait_field $button 3 F9 || true
check "Escape restores the earlier text" F9 "$(field $button 3)"
wait_settings 1 && still=yes || still=no
check "Escape while recording keeps the window open" yes "$still"
# Registered again: F9 opens the overlay at once, even with Settings open.
read -r left top right bottom < <(window_field 3 | tr ',' ' ') || true
check "Escape restores the registration: F9 captures" opened "$(hotkey_opens_overlay F9 $((left + 40 + origin)) $((top + 10)))"
wait_settings 1 || true

# --- the language list ------------------------------------------------------------------------

echo "== languages"
# The list takes the keyboard: a click opens it, Esc closes it and keeps the focus there,
# the first letter of a language's own name picks it.
choose_language() {  # choose_language KEY
    click_control $languages
    xdotool key Escape
    sleep 0.2
    xdotool key "$1"
    sleep 0.5
    refresh
}
choose_language d
check "Deutsch is chosen" Deutsch "$(field $languages 7 | sed 's/.*selected //')"
check "labels, check boxes and Done read German at once" "$(texts de "${relabelled_messages[@]}")" "$(shown_texts)"
check "the list's first item reads German" "$(texts de settings_follow_system)" \
    "$(field $languages 7 | sed 's/^[0-9]* items, first \(.*\), selected .*/\1/')"
check "the hotkey button still shows the hotkey" F9 "$(field $button 3)"
check "the title keeps its text" "Kestrix Settings" "$(window_field 2)"
shot_settings settings-de
choose_language Home
choose_language f
check "Français is chosen" Français "$(field $languages 7 | sed 's/.*selected //')"
check "labels, check boxes and Done read French" "$(texts fr "${relabelled_messages[@]}")" "$(shown_texts)"
shot_settings settings-fr
# The last language reads right to left: the window is laid out mirrored.
choose_language End
check "العربية is chosen" العربية "$(field $languages 7 | sed 's/.*selected //')"
check "Arabic: the window is mirrored" rtl "$(window_field 4)"
check "Arabic: labels, check boxes and Done" "$(texts ar "${relabelled_messages[@]}")" "$(shown_texts)"
check "Arabic: the hotkey button keeps the hotkey" F9 "$(field $button 3)"
shot_settings settings-ar-switched
choose_language Home
check "back from Arabic: laid out left to right again" ltr "$(window_field 4)"
system_tag=$(timeout 60 "$KESTRIX_WINE" "$exe" --diagnose 2>/dev/null | tr -d '\r' | sed -n 's/^System prefers: \([^,]*\).*/\1/p' || true)
echo "    (the system prefers ${system_tag:-nothing})"
check "Follow the system is chosen" "$(texts "${system_tag:-en}" settings_follow_system)" \
    "$(field $languages 7 | sed 's/.*selected //')"
check "Follow the system: the system's language again" "$(texts "${system_tag:-en}" "${relabelled_messages[@]}")" \
    "$(shown_texts)"

# --- the status icon hidden ---------------------------------------------------------------------

echo "== status icon"
click_control $icon
hidden_note=$(text en settings_icon_hidden_note F9)
refresh
check "unticked" unchecked "$(field $icon 5)"
check "the note names the hotkey" 1 "$(shows "$hidden_note")"
shot_settings settings-icon-hidden
click_control $done
wait_settings 0 || true
sleep 0.5
check "after Done the icon is gone" "" "$(tray_window)"
printed=$(timeout 60 "$KESTRIX_WINE" "$exe" --print-config 2>/dev/null | tr -d '\r' || true)
check "kestrix.toml holds exactly the rendered file of the new values" "$printed" "$(cat "$config")"
check "the file has the new hotkey, the hidden icon, auto and the untouched 50" \
    'hotkey = "F9"|overlay_dim_percent = 50|language = "auto"|show_tray_icon = false' \
    "$(grep -E '^(hotkey|show_tray_icon|language|overlay_dim_percent) =' "$config" | tr '\n' '|' | sed 's/|$//')"
check "the file ends with one line feed" '\n' "$(tail -c 1 "$config" | od -An -c | tr -d ' ')"
# The fixture's 640 x 480 window on the primary monitor is the Wine window under the pointer.
check "the new hotkey opens the overlay" opened "$(hotkey_opens_overlay F9 $((400 + origin)) 300)"
check "the old hotkey does not" "not opened" "$(hotkey_opens_overlay ctrl+alt+a $((400 + origin)) 300)"
check "a second start is the way back" 0 "$(second_start)"
wait_settings 1 && opened=yes || opened=no
check "a second start opens Settings again" yes "$opened"
check "it shows the icon unticked and the note" "unchecked 1" \
    "$(field $icon 5) $(shows "$hidden_note")"

# --- start at login -----------------------------------------------------------------------------

echo "== start at login"
run_value() { wine reg query "$run_key" /v Kestrix 2>/dev/null | tr -d '\r' | sed -n 's/^ *Kestrix *REG_SZ *//p'; }
click_control $login
wait_field $login 5 checked || true
check "ticked" checked "$(field $login 5)"
check "ticking writes the Run value: the quoted path and --at-login" "\"$exe_windows\" --at-login" "$(run_value)"
click_control $login
wait_field $login 5 unchecked || true
check "unticked" unchecked "$(field $login 5)"
check "unticking deletes the Run value" "" "$(run_value)"
click_control $done
wait_settings 0 || true

# Turned off in the system's startup settings: a Run value is there (an old copy's path),
# StartupApproved's first byte is 3.
approved=030000000000000000000000
wine reg add "$run_key" /v Kestrix /t REG_SZ /d '"C:\old place\kestrix.exe"' /f >/dev/null
wine reg add "$approved_key" /v Kestrix /t REG_BINARY /d "$approved" /f >/dev/null
approved_value() { wine reg query "$approved_key" /v Kestrix 2>/dev/null | tr -d '\r' | sed -n 's/^ *Kestrix *REG_BINARY *//p'; }
approved_before=$(approved_value)
second_start >/dev/null
wait_settings 1 || true
elsewhere=$(texts en settings_login_disabled_elsewhere)
check "disabled elsewhere: the box is unticked" unchecked "$(field $login 5)"
check "disabled elsewhere: the note explains why" 1 "$(shows "$elsewhere")"
shot_settings settings-login-elsewhere
click_control $login
sleep 0.5
refresh
check "clicking it: the box stays unticked" unchecked "$(field $login 5)"
check "clicking it: the Run value is written with this copy's path" "\"$exe_windows\" --at-login" "$(run_value)"
check "clicking it: the note still explains" 1 "$(shows "$elsewhere")"
check "StartupApproved is never written" "$approved_before" "$(approved_value)"

# The icon back, then quit.
click_control $icon
click_control $done
wait_settings 0 || true
find_icon && tray_icon=found || tray_icon=missing
check "ticking the icon again shows it after Done" found "$tray_icon"
check "the file says so" 'show_tray_icon = true' "$(grep '^show_tray_icon' "$config")"
# The tooltip names the hotkey now in use.
xdotool mousemove "$icon_x" "$icon_y"
tip=
for _ in $(seq 1 50); do
    tip=$(ask "class tooltips_class32" | grep '^window|' | cut -d'|' -f2 | grep -v '^$' | head -n1 || true)
    [ -n "$tip" ] && break
    sleep 0.1
done
check "the tooltip names the new hotkey" "$(text en tray_tooltip F9)" "$tip"
wine "$bin/post_broadcast.exe" Kestrix.Quit >/dev/null 2>&1 || true
wait_for_exit "$app_pid" 20
check "kestrix.exe quits with 0" 0 "$exit_status"
[ "$exit_status" = running ] && stop_pid "$app_pid"
app_pid=

checks_summary "settings e2e"
