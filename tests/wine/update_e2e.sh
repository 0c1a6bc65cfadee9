#!/usr/bin/env bash
# End to end under Wine: kestrix.exe's updates against a local HTTPS feed, driven as
# a user would (the menu command, the question's buttons clicked with xdotool):
# up to date; every refusal (404, an over-sized download, a digest mismatch, files
# that are not executables, another key, a tampered manifest) with its one message
# and the executable untouched; "Not Now"; the scheduled check (off: no request; on:
# the menu names the version); "Install and Restart" replacing the executable and
# restarting it; a parked name held open; and failures after the old copy was parked
# (a full disk, a new file that cannot start) putting the old executable back.
#   update_e2e.sh KESTRIX_EXE RELEASE_TOOL KEY_FILE BINDIR WORKDIR
# KESTRIX_EXE is built for https://localhost:8443/updates/windows/release.txt and the
# public half of KEY_FILE; BINDIR holds the helper programs. The script runs itself
# again inside a private mount and network namespace: the feed listens on that
# namespace's 127.0.0.1, and there alone the test CA is added to the CA bundle Wine
# reads. Uses $DISPLAY when it answers, else starts its own. Screenshots, the feed's
# request log and a per-case summary of it are left in WORKDIR.
set -euo pipefail
kestrix_built=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
release_tool=$2
feed_key=$3
bin=$(cd "$4" && pwd)
work=$5
tools="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine" && pwd)"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$tools/common.sh"
source "$tools/display.sh"
source "$tools/checks.sh"
kestrix_wine_env

# --- outside: a display, then the same script inside the namespaces ----------------

if [ "${KESTRIX_UPDATE_E2E:-}" != inside ]; then
    rm -rf "$work"
    mkdir -p "$work"
    work=$(cd "$work" && pwd)
    own_display=0
    kestrix_cleanup_on_exit release_own_display
    if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
        kestrix_wine_stop
        own_display=1
        kestrix_display_start one "$work"
    fi
    # Wine's processes read the CA bundle of the namespace they start in; a wineserver
    # started outside would keep serving (and starting) processes without the test CA.
    kestrix_wine_stop
    status=0
    KESTRIX_UPDATE_E2E=inside unshare --mount --net bash "${BASH_SOURCE[0]}" "$kestrix_built" "$release_tool" \
        "$feed_key" "$bin" "$work" || status=$?
    kestrix_wine_stop
    exit "$status"
fi

# --- inside: loopback, the test CA, the feed --------------------------------------

app=$work/app
exe=$app/kestrix.exe
mkdir -p "$app"
source "$tools/feed.sh"

holder_pid= poller_pid=
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrix'
cleanup() {
    touch "$work/hold.stop" 2>/dev/null || true
    # Every Wine process of this namespace, the copies started by an update included.
    for pid in $poller_pid $holder_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    kestrix_feed_stop
    for mounted in "$work/small" "$work/read-only"; do umount "$mounted" 2>/dev/null || true; done
}
kestrix_cleanup_on_exit cleanup

kestrix_feed_start || exit 1
feed_origin
same_file() { cmp -s "$1" "$2" && echo same || echo different; }

# Runs an interactive check that must end in one message, answering "Install and
# Restart" when the question comes first; checks the message's text, that no second
# window follows, and that the executable is byte-identical afterwards.
expect_message() {  # expect_message CASE EXPECTED_TEXT
    begin_case "$1"
    cp "$exe" "$work/before.exe"
    check_for_updates
    wait_for_dialog 40 || true
    if [ "$(dialog_buttons)" = "Install and Restart|Not Now" ]; then
        click_button "Install and Restart" || true
        wait_for_dialog 60 'OK|' || true
    fi
    check "$1: the message" "$2" "$(dialog_text)"
    check "$1: the message has only OK" "OK" "$(dialog_buttons)"
    [ -z "${shot:-}" ] || screenshot "$shot"
    close_dialog || true
    sleep 0.5
    check "$1: no second message" "windows 0" "$(texts Kestrix | tail -n1)"
    check "$1: the executable is byte-identical" same "$(same_file "$work/before.exe" "$exe")"
    check "$1: nothing parked or left beside it" "kestrix.exe" "$(ls "$app" | grep -v '\.toml$' | tr '\n' ' ' | sed 's/ $//')"
    end_case
}

cp "$kestrix_built" "$exe"
original_digest=$(digest "$exe")
wine reg delete "$uninstall_key" /f >/dev/null 2>&1 || true
wine reg add "$uninstall_key" /v DisplayVersion /d 0.9.22 /f >/dev/null
# The entry names this copy's folder, as the installer writes it: the updates of this copy
# keep its DisplayVersion (those of a copy elsewhere leave it alone).
wine reg add "$uninstall_key" /v InstallLocation /d "$(winepath -w "$app" 2>/dev/null | tr -d '\r')" /f >/dev/null
display_version() { wine reg query "$uninstall_key" /v DisplayVersion 2>/dev/null | tr -d '\r' | awk '/DisplayVersion/ {print $NF}'; }

new_build=$(make_build "$kestrix_built" 1.0.0)
publish 1.0.0 "$new_build"

# --- the scheduled check, switched off ------------------------------------------------

echo "== scheduled check with check_for_updates off (at $SECONDS s)"
printf 'check_for_updates = false\n' >"$app/kestrix.toml"
start_app "$exe" || true
begin_case "scheduled check, check_for_updates = false"
timer_fires
sleep 3
check "off: the timer asks the feed nothing" "" "$(case_requests)"
check "off: the copy keeps running" "hosts 1" "$(helper host_windows | tail -n1)"
end_case
quit_running_copy
rm -f "$app/kestrix.toml"

# --- one running copy: checks that change nothing --------------------------------------

echo "== checks that change nothing (at $SECONDS s)"
start_app "$exe" || true
first_host=$(host_pids)
open_menu || true
baseline_width=$menu_width
close_menu

publish 0.9.22 "$(make_build "$kestrix_built" 0.9.22)"
begin_case "up to date"
check_for_updates
wait_for_dialog 40 || true
check "up to date: the message" "Kestrix is up to date." "$(dialog_text)"
check "up to date: the user agent names the version" "Kestrix/0.9.22" "$(case_requests | head -n1 | awk '{print $4}')"
check "up to date: the manifest, then its signature" \
    "/updates/windows/release.txt /updates/windows/release.txt.sig" "$(request_paths)"
screenshot up-to-date
close_dialog || true
end_case

failed="The update failed:"
rm -f "$feed/updates/windows/release.txt"
shot=failure-404 expect_message "manifest 404" \
    "$failed the update server does not have the file Kestrix asked for.\\n\\nHTTP 404"
check "manifest 404: only the manifest was asked for" "/updates/windows/release.txt" "$(request_paths)"

truncate -s 70M "$work/huge.exe"
publish 1.0.0 "$work/huge.exe"
expect_message "70 MiB download" "$failed the download is larger than Kestrix will accept failed (os error 0)"
check "70 MiB download: asked for once" 1 "$(case_requests | grep -c '^GET /files/huge.exe ')"
rm -f "$work/huge.exe" "$feed/files/huge.exe"

publish 1.0.0 "$new_build"
printf 'MZ but not the signed bytes' >"$feed/files/$(basename "$new_build")"
expect_message "digest mismatch" "$failed the download does not match the signed checksum"

printf 'This is not a program.\n' >"$work/notes.exe"
publish 1.0.0 "$work/notes.exe"
expect_message "not an executable" \
    "$failed the downloaded file is not a Windows executable failed (os error 0)"
printf 'MZ' >"$work/short.exe"
head -c 40 /dev/zero >>"$work/short.exe"
publish 1.0.0 "$work/short.exe"
expect_message "MZ but shorter than 64 bytes" \
    "$failed the downloaded file is not a Windows executable failed (os error 0)"

rm -f "$work/other.key"
"$release_tool" keygen "$work/other.key" >/dev/null
publish 1.0.0 "$new_build" "$work/other.key"
expect_message "signed by another key" "$failed the release manifest is not signed by this application's key"
check "signed by another key: nothing downloaded" \
    "/updates/windows/release.txt /updates/windows/release.txt.sig" "$(request_paths)"

publish 1.0.0 "$new_build"
sed -i 's|^url = .*|url = https://localhost:8443/files/notes.exe|' "$feed/updates/windows/release.txt"
expect_message "tampered manifest" "$failed the release manifest is not signed by this application's key"

# --- a feed on a real network: a proxy that wants a password, one that never answers ---

echo "== a proxy that wants a password, a feed that never answers (at $SECONDS s)"
feed_mode status 407
shot=failure-407 expect_message "proxy asks for credentials" \
    "$failed the proxy server of this network asks for a user name and password, which Kestrix cannot give it.\\n\\nHTTP 407"
# The feed takes the connection and the request, and answers nothing.
feed_mode stall
begin_case "interactive check, the feed never answers"
answered=$(check_for_updates --answer | answer_ms)
wait_for_dialog 5 || true
# At least the feed's receive time-out went by (so the wait was measured), well within 15 s.
in_time() { [ -n "$1" ] && [ "$1" -ge 5000 ] && [ "$1" -lt 15000 ] && echo "in time" || echo "after ${1:-no answer} ms"; }
check "never answers: one message within 15 s" "in time" "$(in_time "$answered")"
check "never answers: the message says so" "$failed the update server did not answer in time. Try again later." \
    "$(dialog_text | sed 's/\\n\\n.*//')"
close_dialog || true
check "never answers: the manifest alone was asked for" "/updates/windows/release.txt" "$(request_paths)"
end_case
begin_case "scheduled check, the feed never answers"
silent=$(timer_fires --answer | answer_ms)
sleep 0.5
check "never answers, scheduled: nothing shown" "windows 0" "$(texts Kestrix | tail -n1)"
open_menu || true
close_menu
check "never answers, scheduled: the tray answers the menu right after (held ${silent:-?} ms)" "in time, menu" \
    "$(in_time "$silent"), $([ "$menu_width" -gt 0 ] && echo menu || echo "no menu")"
end_case
feed_mode
echo "   the tray waited ${answered:-?} ms for the interactive check, ${silent:-?} ms for the scheduled one"

# --- the question: Not Now, then the scheduled check -----------------------------------

echo "== Not Now and the scheduled check (at $SECONDS s)"
publish 1.0.0 "$new_build"
begin_case "Not Now"
check_for_updates
wait_for_dialog 40 || true
check "question: the version and the notes" "Kestrix 1.0.0 is available.|Sharper arrows and a faster overlay." \
    "$(dialog_text)"
check "question: the two choices" "Install and Restart|Not Now" "$(dialog_buttons)"
screenshot question
click_button "Not Now" || true
sleep 1
check "Not Now: the question closed and nothing else opened" "windows 0" "$(texts Kestrix | tail -n1)"
check "Not Now: nothing downloaded" "/updates/windows/release.txt /updates/windows/release.txt.sig" "$(request_paths)"
check "Not Now: the executable is byte-identical" "$original_digest" "$(digest "$exe")"
end_case

begin_case "scheduled check, check_for_updates = true"
timer_fires
for _ in $(seq 1 40); do [ "$(case_requests | wc -l)" -ge 2 ] && break; sleep 0.25; done
sleep 1
check "on: the timer fetched the manifest and its signature, nothing more" \
    "/updates/windows/release.txt /updates/windows/release.txt.sig" "$(request_paths)"
check "on: nothing shown" "windows 0" "$(texts Kestrix | tail -n1)"
open_menu || true
marked_width=$menu_width
if [ -n "$menu_rect" ]; then
    sleep 0.5
    read -r left top right bottom <<<"$menu_rect"
    import -window root -crop "$((right - left + 20))x$((bottom - top + 20))+$((origin_x + left - 10))+$((origin_y + top - 10))" \
        +repage "$work/menu-available.png" 2>/dev/null || true
fi
close_menu
# "Kestrix 1.0.0 is available." is the menu's longest label, so the menu grew.
check "on: the menu's update item grew to name the version ($baseline_width -> $marked_width)" 1 \
    "$(( marked_width > baseline_width && baseline_width > 0 ))"
end_case

# --- Install and Restart ---------------------------------------------------------------

echo "== Install and Restart (at $SECONDS s)"
# Watches for the parked copy, which the new copy removes once the old one has gone.
watch_for() {  # watch_for FILE: writes WORKDIR/seen.<name> when FILE appears (30 s)
    local file=$1 mark=$work/seen.$(basename "$1")
    rm -f "$mark"
    ( for _ in $(seq 1 600); do [ -e "$file" ] && { touch "$mark"; exit 0; }; sleep 0.05; done ) &
    poller_pid=$!
}
begin_case "Install and Restart"
watch_for "$exe.old"
check_for_updates
wait_for_dialog 40 || true
click_button "Install and Restart" || true
wait_for_exit "$app_pid" 30
check "install: the old copy exits with 0" 0 "$exit_status"
app_pid=
for _ in $(seq 1 120); do
    hosts=$(host_pids)
    [ -n "$hosts" ] && [ "$hosts" != "$first_host" ] && break
    sleep 0.25
done
check "install: one host window, of a new process" 1 \
    "$(( $(wc -w <<<"$hosts") == 1 && hosts != first_host ))"
check "install: the new copy holds the single-instance lock" 0 "$(helper mutex_probe held 20 >/dev/null && echo 0 || echo 1)"
check "install: the executable is the feed's" "$(digest "$new_build")" "$(digest "$exe")"
wait "$poller_pid" 2>/dev/null || true
poller_pid=
check "install: the old executable was parked as kestrix.exe.old" 1 "$([ -e "$work/seen.kestrix.exe.old" ] && echo 1 || echo 0)"
for _ in $(seq 1 80); do [ -e "$exe.old" ] || break; sleep 0.25; done
check "install: the new copy deleted the parked copy" "kestrix.exe" "$(ls "$app" | tr '\n' ' ' | sed 's/ $//')"
check "install: DisplayVersion reads the new version" "1.0.0" "$(display_version)"
check "install: manifest, signature, executable" \
    "/updates/windows/release.txt /updates/windows/release.txt.sig /files/$(basename "$new_build")" "$(request_paths)"
end_case

# --- a parked name held open ------------------------------------------------------------

echo "== the parked name held by another program (at $SECONDS s)"
second_host=$hosts
printf 'held by another program\n' >"$exe.old"
rm -f "$work/hold.stop"
helper hold_file "$(winepath -w "$exe.old" 2>/dev/null)" "$(winepath -w "$work/hold.stop" 2>/dev/null)" >"$work/hold.out" &
holder_pid=$!
for _ in $(seq 1 40); do grep -q held "$work/hold.out" 2>/dev/null && break; sleep 0.25; done
next_build=$(make_build "$kestrix_built" 1.0.1)
publish 1.0.1 "$next_build"
begin_case "Install with kestrix.exe.old held open"
watch_for "$exe.old.1"
check_for_updates
wait_for_dialog 40 || true
check "held: the question names 1.0.1" "Kestrix 1.0.1 is available." "$(dialog_text | cut -d'|' -f1)"
click_button "Install and Restart" || true
for _ in $(seq 1 120); do
    hosts=$(host_pids)
    [ -n "$hosts" ] && [ "$hosts" != "$second_host" ] && break
    sleep 0.25
done
check "held: one host window, of a new process" 1 "$(( $(wc -w <<<"$hosts") == 1 && hosts != second_host ))"
check "held: the executable is the feed's" "$(digest "$next_build")" "$(digest "$exe")"
wait "$poller_pid" 2>/dev/null || true
poller_pid=
check "held: the old executable was parked as kestrix.exe.old.1" 1 "$([ -e "$work/seen.kestrix.exe.old.1" ] && echo 1 || echo 0)"
check "held: the held file is untouched" "held by another program" "$(cat "$exe.old")"
for _ in $(seq 1 80); do [ -e "$exe.old.1" ] || break; sleep 0.25; done
check "held: the new copy deleted kestrix.exe.old.1" 0 "$([ -e "$exe.old.1" ] && echo 1 || echo 0)"
end_case
touch "$work/hold.stop"
wait "$holder_pid" 2>/dev/null || true
holder_pid=
rm -f "$exe.old"

# --- a new executable that cannot start --------------------------------------------------

echo "== a new file that cannot start (at $SECONDS s)"
{ printf 'MZ'; head -c 4094 /dev/zero | tr '\0' 'x'; } >"$work/broken.exe"
publish 1.0.2 "$work/broken.exe"
wine reg add "$uninstall_key" /v DisplayVersion /d 1.0.1 /f >/dev/null
begin_case "new executable cannot start"
cp "$exe" "$work/before.exe"
check_for_updates
wait_for_dialog 40 || true
click_button "Install and Restart" || true
wait_for_dialog 60 'OK|' || true
check "cannot start: one message naming the start" "$failed CreateProcessW(new version) failed (os error" \
    "$(dialog_text | sed 's/ [0-9]*)$//')"
close_dialog || true
check "cannot start: the old executable is back under its name" same "$(same_file "$work/before.exe" "$exe")"
check "cannot start: nothing parked or left beside it" "kestrix.exe" "$(ls "$app" | tr '\n' ' ' | sed 's/ $//')"
check "cannot start: DisplayVersion reads the old version again" "1.0.1" "$(display_version)"
check "cannot start: the running copy carries on" "$hosts" "$(host_pids)"
end_case
quit_running_copy

# --- a full disk after the old copy was parked -------------------------------------------

echo "== a disk too full for the new executable (at $SECONDS s)"
small=$work/small
mount_small_folder small "$(stat -c %s "$kestrix_built")"
cp "$kestrix_built" "$small/kestrix.exe"
exe=$small/kestrix.exe
start_app "$exe" || true
big_build=$(make_build "$kestrix_built" 1.0.3 $((3 * 1024 * 1024)))
publish 1.0.3 "$big_build"
begin_case "disk full while writing the new executable"
cp "$exe" "$work/before.exe"
check_for_updates
wait_for_dialog 40 || true
click_button "Install and Restart" || true
wait_for_dialog 60 'OK|' || true
check "disk full: one message" "$failed writing the new executable failed (os error 112)" "$(dialog_text)"
close_dialog || true
check "disk full: the old executable is back under its name" same "$(same_file "$work/before.exe" "$exe")"
check "disk full: nothing parked or left beside it" "kestrix.exe" "$(ls "$small" | tr '\n' ' ' | sed 's/ $//')"
check "disk full: the running copy carries on" "hosts 1" "$(helper host_windows | tail -n1)"
end_case
quit_running_copy
start_app "$exe" && started=yes || started=no
check "disk full: the restored executable starts again" yes "$started"
quit_running_copy
exe=$app/kestrix.exe

# --- a folder that takes no new file ---------------------------------------------------

echo "== an executable in a read-only folder (at $SECONDS s)"
read_only=$work/read-only
mount_small_folder read-only "$(stat -c %s "$kestrix_built")"
cp "$kestrix_built" "$read_only/kestrix.exe"
mount -o remount,ro "$read_only"
start_app "$read_only/kestrix.exe" || true
publish 1.0.4 "$(make_build "$kestrix_built" 1.0.4)"
begin_case "read-only folder"
check_for_updates
wait_for_dialog 40 || true
screenshot read-only
check "read-only: the version, then why it cannot be installed here" \
    "Kestrix 1.0.4 is available.\\n\\nKestrix cannot update itself in this folder: a reason" \
    "$(dialog_text | sed -E 's/(this folder: ).+$/\1a reason/')"
echo "   ($(dialog_text))"
check "read-only: no Install and Restart, only OK" "OK" "$(dialog_buttons)"
close_dialog || true
check "read-only: nothing downloaded" "/updates/windows/release.txt /updates/windows/release.txt.sig" "$(request_paths)"
check "read-only: the executable is untouched, nothing beside it" "same kestrix.exe" \
    "$(same_file "$kestrix_built" "$read_only/kestrix.exe") $(ls "$read_only" | tr '\n' ' ' | sed 's/ $//')"
end_case
quit_running_copy

echo
echo "The feed's requests, case by case:"
cat "$feed_summary"
checks_summary update_e2e
