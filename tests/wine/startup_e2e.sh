#!/usr/bin/env bash
# End to end under Wine: kestrix.exe's command line and exit codes, its output on a
# redirected stdout (a file's with a byte-order mark; nowhere when there is none), the configuration file beside
# the executable, in %APPDATA%\Kestrix or absent, the diagnostics report on the
# two-monitor display with windows of known size open, the removal of parked
# copies, and the single instance (a second start, and a start after an update).
#   startup_e2e.sh kestrix.exe BINDIR WORKDIR
# BINDIR holds windows_fixture.exe, mutex_probe.exe, close_window.exe,
# post_broadcast.exe and window_texts.exe. Uses $DISPLAY when it already has the
# two-monitor layout, else starts its own.
set -euo pipefail
kestrix_built=$1
bin=$(cd "$2" && pwd)
work=$3
tools="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine" && pwd)"
source "$tools/common.sh"
source "$tools/display.sh"
source "$tools/checks.sh"
kestrix_wine_env

rm -rf "$work"
mkdir -p "$work/app"
work=$(cd "$work" && pwd)

own_display=0
pids=()
appdata_config=
cleanup() {
    touch "$work/fixture.stop" 2>/dev/null || true
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    [ -z "$appdata_config" ] || rm -f "$appdata_config"
    "$KESTRIX_WINE" reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Kestrix /f >/dev/null 2>&1 || true
    release_own_display
}
kestrix_cleanup_on_exit cleanup


kestrix_use_two_monitor_display "$work"
"$tools/setup-prefix"
wine() { "$KESTRIX_WINE" "$@"; }
helper() { local name=$1; shift; wine "$bin/$name.exe" "$@" 2>/dev/null | tr -d '\r'; }
# 0 when the single-instance mutex reaches the state (held or absent) in time, else 1.
mutex() { wine "$bin/mutex_probe.exe" "$@" >/dev/null 2>&1 && echo 0 || echo 1; }

# A copy of its own, so that the directory beside the executable belongs to this test.
exe="$work/app/kestrix.exe"
cp "$kestrix_built" "$exe"
beside="$work/app/kestrix.toml"
winpath() { winepath -w "$1" 2>/dev/null | tr -d '\r'; }

# Runs kestrix.exe with stdout redirected to a new file; sets `out` (the text after the
# UTF-8 byte-order mark that a file gets) and `code`.
kestrix() {
    code=0
    timeout 60 "$KESTRIX_WINE" "$exe" "$@" >"$work/stdout" 2>"$work/stderr" || code=$?
    out=$(sed '1s/^\xEF\xBB\xBF//' "$work/stdout")
}
bom=$'\xEF\xBB\xBF'


# --- the informational options ----------------------------------------------------

help_text=$(cat <<'HELP'
One shortcut. Capture, copy, continue.

Kestrix runs in the notification area with no main window. Its menu has
Settings…, where the capture shortcut and the language can be changed.

  Ctrl+Alt+A     capture a region (configurable)
  drag           select; the size is shown while you drag
  release        the selection stays put and the mark-up tools appear
  Enter          copy to the clipboard and close
  Ctrl+S         copy and open "Save as"
  Esc            cancel; nothing is copied and nothing is written

Options:
  --print-config   show the current settings as a config file
  --config-path    show which config file is in use
  --diagnose       show the detected screens, scales and permissions
  --version        show the version
  --help           show this text
  --capture MODE   capture now: region (drag one out), last (the previous
                   region again), screen (the monitor under the pointer)
                   or window (the active one), ready to mark up and copy
  --delay SECONDS  with --capture: wait 0 to 60 seconds first
  --output FILE    with --capture: write the picture to FILE as PNG and
                   print its path, with no overlay (screen, window, or
                   region with --rect X,Y,W,H in desktop units)

Usage: kestrix --capture region|last|screen|window [--delay SECONDS] [--output FILE [--rect X,Y,W,H]]

Kestrix does not upload screenshots and collects no data about how you use it.
It reaches the network to ask whether there is a newer version -- now and then
on its own, which you can turn off in Settings, and whenever you pick Check for
Updates -- and when you send a capture to a device on your own network. Asking
about a version fetches a small signed text file; like any HTTP client it sends
the version it is asking on behalf of, and nothing else about you.
HELP
)

kestrix --version
check "--version prints the version line" "Kestrix 0.9.22 (windows-gdi)" "$out"
check "--version exits with 0" 0 "$code"
same_bytes() { cmp -s "$1" "$2" && echo same || echo different; }
check "--version to a file prints a byte-order mark and exactly one line" same \
    "$(same_bytes <(printf '%sKestrix 0.9.22 (windows-gdi)\n' "$bom") "$work/stdout")"
kestrix -V --help
check "-V ignores the arguments after it" "Kestrix 0.9.22 (windows-gdi)" "$out"

for option in --help -h '/?'; do
    kestrix "$option"
    check "$option prints the help text" "$help_text" "$out"
    check "$option exits with 0" 0 "$code"
done
check "the help text ends with exactly one line feed" same "$(same_bytes <(printf '%s%s\n' "$bom" "$help_text") "$work/stdout")"

kestrix -H
check "-H is an unknown option" "$(printf 'Unknown option `-H`.\n\n%s' "$help_text")" "$out"
check "-H exits with 2" 2 "$code"
kestrix --HELP
check "--HELP exits with 2" 2 "$code"
kestrix ""
check "an empty argument shows two backquotes" "$(printf 'Unknown option ``.\n\n%s' "$help_text")" "$out"
check "an empty argument exits with 2" 2 "$code"

# A pipe is a redirected stdout too; with no stdout at all the text is dropped and the
# exit code stays.
check "output reaches a pipe, without a byte-order mark" same \
    "$(same_bytes <(printf 'Kestrix 0.9.22 (windows-gdi)\n') <(timeout 60 "$KESTRIX_WINE" "$exe" --version 2>/dev/null))"
# Appended to a file (">>"), the text follows what is there without a mark in between.
printf 'earlier\n' >"$work/appended"
timeout 60 "$KESTRIX_WINE" "$exe" --version >>"$work/appended" 2>/dev/null || true
check "appended to a file: no byte-order mark in the middle" same \
    "$(same_bytes <(printf 'earlier\nKestrix 0.9.22 (windows-gdi)\n') "$work/appended")"
code=0; timeout 60 "$KESTRIX_WINE" "$exe" --version >&- 2>/dev/null || code=$?
check "without a stdout --version still exits with 0" 0 "$code"
code=0; timeout 60 "$KESTRIX_WINE" "$exe" -H >&- 2>/dev/null || code=$?
check "without a stdout an unknown option still exits with 2" 2 "$code"

# --- the configuration file's places ----------------------------------------------

appdata_dir=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')" 2>/dev/null)
appdata_config="$appdata_dir/Kestrix/kestrix.toml"
rm -f "$appdata_config" "$beside"
no_config="No config file. Kestrix is using its defaults and has written nothing."

kestrix --config-path
check "--config-path without a file" "$no_config" "$out"
check "--config-path exits with 0" 0 "$code"
kestrix --print-config
check "--print-config without a file prints the default hotkey" 'hotkey = "Ctrl+Alt+A"' "$(grep '^hotkey ' <<<"$out")"
check "--print-config exits with 0" 0 "$code"

mkdir -p "$(dirname "$appdata_config")"
printf 'hotkey = "Ctrl+Shift+S"\n' >"$appdata_config"
kestrix --config-path
check "--config-path names the file in APPDATA" "Config file: $(winpath "$appdata_config")" "$out"
kestrix --print-config
check "--print-config reads the file in APPDATA" 'hotkey = "Ctrl+Shift+S"' "$(grep '^hotkey ' <<<"$out")"

printf 'hotkey = "Shift+F12"\nlanguage = "de"\nbogus_key = 1\n' >"$beside"
kestrix --config-path
check "--config-path prefers the file beside the executable, in English" "Config file: $(winpath "$beside")" "$out"
kestrix --print-config
check "--print-config reads the file beside the executable" 'hotkey = "Shift+F12"' "$(grep '^hotkey ' <<<"$out")"
check "--print-config prints no warnings" "" "$(grep -i 'bogus\|line 3' <<<"$out" || true)"
check "--print-config writes nothing" "$(printf 'hotkey = "Shift+F12"\nlanguage = "de"\nbogus_key = 1\n')" "$(cat "$beside")"
rm -f "$appdata_config"

# --- the diagnostics report ---------------------------------------------------------

printf 'hotkey = "Shift+F12"\n\ntheme = "dark"\n' >"$beside"
for parked in .old .old.1 .old.7 .old.15 .old.16; do echo parked >"$exe$parked"; done

kestrix --diagnose
before=$(sed -n 's/^Windows offered for snapping: //p' <<<"$out")
check "--diagnose exits with 0" 0 "$code"
check "prepare removed the parked copies .old and .old.1 to .old.15" ".old.16" \
    "$(cd "$work/app" && ls kestrix.exe.* | sed 's/^kestrix.exe//' | tr '\n' ' ' | sed 's/ $//')"

# Windows of known size: three to offer, and one 39 units wide, one minimised, one
# hidden and one tool window that must not count.
rm -f "$work/fixture.ready" "$work/fixture.stop"
wine "$bin/windows_fixture.exe" "$(winpath "$work")\\fixture.ready" "$(winpath "$work")\\fixture.stop" &
pids+=($!)
for _ in $(seq 1 200); do [ -f "$work/fixture.ready" ] && break; sleep 0.1; done
kestrix --diagnose
touch "$work/fixture.stop"
report=$out
system_line=$(sed -n '2p' <<<"$report")
check "the first platform line names the preferred languages" "System prefers:" "$(cut -d' ' -f1-2 <<<"$system_line")"
expected=$(cat <<REPORT
Kestrix 0.9.22 (windows-gdi)
$system_line
Windows offered for snapping: $((before + 3))

Capture hotkey: Shift+F12
Config file: $(winpath "$beside")
  config line 3: unknown key \`theme\`
Keyboard layouts: en-US 04090409

Virtual desktop: Rect { x: -1280, y: 0, width: 3200, height: 1080 }
2 screen(s), in desktop units:
  *     0,0       1920x1080  units   1920x1080 px   ui 100%   pixels 100%
    -1280,0       1280x1024  units   1280x1024 px   ui 100%   pixels 100%
  (* = primary; the desktop origin is its top-left corner)

Capture test:
  ok   3200x1080  units -> 3200x1080 px at 100%
REPORT
)
check "--diagnose on two monitors with the fixture's windows" "$expected" "$report"
check "the report ends with an empty line" '\n\n' "$(tail -c 2 "$work/stdout" | od -An -c | tr -d ' ')"
cp "$work/stdout" "$work/diagnose-report.txt"
rm -f "$beside"

# --- one copy per user ----------------------------------------------------------------

# Starts kestrix.exe in the background with its stdout in WORKDIR/NAME.out; sets `started_pid`.
start_copy() {  # start_copy NAME [ARGUMENTS...]
    local name=$1; shift
    "$KESTRIX_WINE" "$exe" "$@" >"$work/$name.out" 2>/dev/null &
    started_pid=$!
    pids+=("$started_pid")
}

# An earlier version's Run value for this executable (its path alone) gains --at-login,
# so that its starts at login are told from the user's; another program's is left alone.
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
run_value() { wine reg query "$run_key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p"; }
wine reg add "$run_key" /v Kestrix /t REG_SZ /d "\"$(winpath "$exe")\"" /f >/dev/null
start_copy first
first_pid=$started_pid
check "the first copy holds the single-instance mutex" 0 "$(mutex held 30)"
for _ in $(seq 1 50); do [ "$(run_value Kestrix)" != "\"$(winpath "$exe")\"" ] && break; sleep 0.2; done
check "an earlier version's Run value gains --at-login" "\"$(winpath "$exe")\" --at-login" "$(run_value Kestrix)"
wine reg delete "$run_key" /v Kestrix /f >/dev/null 2>&1 || true
started=$SECONDS
kestrix
check "a second start exits with 0" 0 "$code"
check "a second start prints nothing" "" "$out"
check "a second start ends at once" 1 "$(( SECONDS - started < 10 ))"
# The broadcast makes the first copy open its Settings window.
for _ in $(seq 1 100); do
    helper window_texts "Kestrix Settings" | grep -q "^windows [1-9]" && break
    sleep 0.1
done
check "the first copy answered the broadcast with its Settings window" "windows 1" \
    "$(helper window_texts "Kestrix Settings" | tail -n 1)"
helper close_window "Kestrix Settings" >/dev/null || true
helper post_broadcast Kestrix.Quit || true
wait_for_exit "$first_pid" 20
check "the first copy quits with 0" 0 "$exit_status"
check "the mutex goes with the first copy" 0 "$(mutex absent 10)"
check "the first copy printed nothing" "" "$(tr -d '\r' <"$work/first.out")"

# After an update the new copy waits for the previous one and then starts normally.
start_copy previous
previous_pid=$started_pid
mutex held 30 >/dev/null
start_copy updated --after-update
updated_pid=$started_pid
sleep 2
check "the updated copy waits while the previous one runs" 1 "$(kill -0 "$updated_pid" 2>/dev/null && echo 1 || echo 0)"
helper post_broadcast Kestrix.Quit || true
wait_for_exit "$previous_pid" 20
check "the previous copy quits with 0" 0 "$exit_status"
sleep 2
check "the updated copy took over and keeps running" 1 "$(kill -0 "$updated_pid" 2>/dev/null && echo 1 || echo 0)"
check "the updated copy holds the mutex" 0 "$(mutex held 5)"
helper post_broadcast Kestrix.Quit || true
wait_for_exit "$updated_pid" 20
check "the updated copy quits with 0" 0 "$exit_status"
check "the updated copy printed nothing" "" "$(tr -d '\r' <"$work/updated.out")"

# When the previous copy never quits, the new one gives up after about 20 seconds.
start_copy stubborn
stubborn_pid=$started_pid
mutex held 30 >/dev/null
started=$SECONDS
kestrix --after-update
waited=$((SECONDS - started))
check "the updated copy gives up with 0" 0 "$code"
check "the updated copy says the previous one still runs" \
    "The new version is installed, but the previous copy is still running. Quit Kestrix and open it again to finish." "$out"
check "the updated copy waited about 20 seconds ($waited s)" 1 "$(( waited >= 19 && waited <= 40 ))"
helper post_broadcast Kestrix.Quit || true
wait_for_exit "$stubborn_pid" 20
check "the running copy quits with 0" 0 "$exit_status"

echo
echo "The --diagnose report:"
cat "$work/diagnose-report.txt"
checks_summary startup_e2e
