#!/usr/bin/env bash
# How long the tray stops answering when the update feed's network misbehaves, for
# one or more builds of kestrix.exe made for the local test feed (the Windows
# build's tests/wine/kestrix_local_feed.exe and the key beside it): each case runs
# against a local HTTPS feed inside a private mount and network namespace (root),
# and the host window's answer to a message sent right after the command is timed.
#   tools/bench/network-stall-bench.sh [WINDOWS_BUILD] [LABEL=EXE:KEY ...]
#   (default: the build's own kestrix_local_feed.exe and local-feed/feed.key)
# Cases, each from the menu command (or the timer) to the tray answering again:
#   never answers      the feed takes the request and answers nothing for 4 minutes, then
#                      closes the connection (interactive, scheduled)
#   stalled download   the executable stops after 64 KiB ("Install and Restart" to the message)
#   swallowed packets  nothing comes back from the feed's address at all (netem loss 100 %)
#   stalled DNS        a name server that never answers ("localhost" left out of the hosts file)
#   read-only folder   the executable's folder takes no new file (to the message; bytes fetched)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
windows=$(realpath "${1:-build/windows}")
shift || true
builds=("$@")
[ ${#builds[@]} -gt 0 ] || builds=("current=$windows/tests/wine/kestrix_local_feed.exe:$windows/tests/wine/local-feed/feed.key")
release_tool=$windows/tests/wine/release-tool/kestrix-release
bin=$windows/tests/wine
source tools/wine/common.sh
source tools/wine/display.sh
source tools/wine/checks.sh

if [ -z "${KESTRIX_STALL_BENCH_INSIDE:-}" ]; then
    unshare -n true 2>/dev/null || { echo "network-stall-bench: needs 'unshare' (root)" >&2; exit 1; }
    export KESTRIX_WINEPREFIX="$windows/wine-prefix-bench"
    kestrix_wine_env
    work=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-stall-bench.XXXXXX")
    export KESTRIX_STALL_BENCH_WORK=$work
    cleanup() { kestrix_wine_stop; kestrix_display_stop; rm -rf "$work"; }
    kestrix_cleanup_on_exit cleanup
    kestrix_wine_stop
    kestrix_display_start one "$work"
    KESTRIX_STALL_BENCH_INSIDE=1 unshare --mount --net bash ${KESTRIX_BENCH_TRACE:+-x} "${BASH_SOURCE[0]}" "$windows" "${builds[@]}"
    exit
fi

kestrix_wine_env
work=$KESTRIX_STALL_BENCH_WORK
feed_key=
source tools/wine/feed.sh
kestrix_feed_start >/dev/null
feed_origin
config_dir="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Kestrix"
rm -f "$config_dir/kestrix.toml"

# The feed's address swallows every packet; the X server is on a Unix socket and
# keeps answering. A queue that holds nothing drops all as well, where the kernel
# has no netem.
swallow() { tc qdisc add dev lo root netem loss 100% 2>/dev/null || tc qdisc add dev lo root pfifo limit 0; }
unswallow() { tc qdisc del dev lo root 2>/dev/null || true; }
# Name resolution that hangs: no "localhost" in the hosts file, and a name server
# that takes every question and answers none, with a resolver told to wait long for it.
dns_sink_pid=
stall_dns() {
    grep -v -w localhost /etc/hosts >"$work/hosts" || true
    printf 'nameserver 127.0.0.9\noptions timeout:30 attempts:3\n' >"$work/resolv.conf"
    mount --bind "$work/hosts" /etc/hosts
    mount --bind "$work/resolv.conf" /etc/resolv.conf
    python3 -c '
import socket
sink = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
sink.bind(("127.0.0.9", 53))
while True:
    sink.recvfrom(4096)
' &
    dns_sink_pid=$!
}
unstall_dns() {
    [ -z "$dns_sink_pid" ] || { kill "$dns_sink_pid" 2>/dev/null || true; wait "$dns_sink_pid" 2>/dev/null || true; }
    dns_sink_pid=
    umount /etc/hosts /etc/resolv.conf 2>/dev/null || true
}

report() {  # report CASE MS [NOTE]
    printf '  %-26s %8s ms  %s\n' "$1" "${2:-?}" "${3:-}"
}
# Milliseconds from posting the command until the host answers again. With a feed
# request to wait for, the answer is asked for only once the check has reached the
# feed, so it cannot overtake the command.
held_ms() {  # held_ms check_for_updates|timer_fires [FEED_REQUESTS]
    local start
    start=$(date +%s%3N)
    if [ -n "${2:-}" ]; then
        local mark
        mark=$(wc -l <"$feed_log")
        "$1"
        for _ in $(seq 1 400); do [ "$(($(wc -l <"$feed_log") - mark))" -ge "$2" ] && break; sleep 0.05; done
        helper post_to_host --answer=600000 0 0 >/dev/null || true
    else
        "$1" --answer=600000 >/dev/null || true
    fi
    echo $(($(date +%s%3N) - start))
}
interactive_ms() {  # the check from the menu until its message; closes it
    local ms
    ms=$(held_ms check_for_updates "${1:-}")
    wait_for_dialog 300 || true
    echo "$ms|$(dialog_text | sed 's/\\n.*//' | cut -c1-70)"
    close_dialog >/dev/null || true
}

for build in "${builds[@]}"; do
    label=${build%%=*} files=${build#*=}
    exe_source=$(realpath "${files%%:*}") feed_key=$(realpath "${files#*:}")
    echo "== $label ($exe_source)"
    mkdir -p "$work/app-$label"
    exe=$work/app-$label/kestrix.exe
    cp "$exe_source" "$exe"
    start_app "$exe" || { echo "  no host window"; continue; }
    newer=$(make_build "$exe_source" 9.0.0)
    publish 9.0.0 "$newer"

    feed_mode stall 240
    IFS='|' read -r ms text < <(interactive_ms 1)
    report "never answers" "$ms" "$text"
    report "never answers, scheduled" "$(held_ms timer_fires 1)"
    feed_mode

    feed_mode stall-body 65536
    check_for_updates
    if wait_for_dialog 60 "Install and Restart"; then
        start_ms=$(date +%s%3N)
        click_button "Install and Restart" >/dev/null
        helper post_to_host --answer=600000 0 0 >/dev/null || true
        ms=$(($(date +%s%3N) - start_ms))
        wait_for_dialog 300 'OK|' || true
        report "stalled download" "$ms" "$(dialog_text | sed 's/\\n.*//' | cut -c1-70)"
        close_dialog >/dev/null || true
    else
        report "stalled download" "" "no question: $(dialog_text)"
        close_dialog >/dev/null || true
    fi
    feed_mode

    swallow
    IFS='|' read -r ms text < <(interactive_ms)
    unswallow
    report "swallowed packets" "$ms" "$text"

    stall_dns
    IFS='|' read -r ms text < <(interactive_ms)
    unstall_dns
    report "stalled DNS" "$ms" "$text"
    quit_running_copy

    umount "$work/ro-$label" 2>/dev/null || true
    mount_small_folder "ro-$label" "$(stat -c %s "$exe_source")"
    cp "$exe_source" "$work/ro-$label/kestrix.exe"
    mount -o remount,ro "$work/ro-$label"
    start_app "$work/ro-$label/kestrix.exe" || true
    begin_case "read-only $label"
    start_ms=$(date +%s%3N)
    check_for_updates
    wait_for_dialog 60 || true
    if [ "$(dialog_buttons)" = "Install and Restart|Not Now" ]; then
        click_button "Install and Restart" >/dev/null
        wait_for_dialog 200 'OK|' || true
    fi
    fetched=$(case_requests | grep -c ' /files/' || true)
    report "read-only folder" "$(($(date +%s%3N) - start_ms))" \
        "executable fetched ${fetched}x: $(dialog_text | sed 's/\\n\\n/ /' | cut -c1-90)"
    close_dialog >/dev/null || true
    quit_running_copy
    umount "$work/ro-$label" 2>/dev/null || true
done
kestrix_feed_stop
