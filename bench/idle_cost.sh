#!/usr/bin/env bash
# Idle cost of the tray host under Wine: CPU time the process uses over a quiet
# minute (it must wait in GetMessageW, never poll) and its resident memory.
#   bench/idle_cost.sh PROGRAM.exe [SECONDS] [arguments...]
# Uses $DISPLAY when it answers, else starts a private one; the Wine prefix is the
# build tree's (run it from inside build/windows) or KESTRIX_WINEPREFIX.
set -euo pipefail
exe=$1
seconds=${2:-60}
shift $(($# < 2 ? $# : 2))
tools="$(cd "$(dirname "${BASH_SOURCE[0]}")/../tools/wine" && pwd)"
source "$tools/common.sh"
source "$tools/display.sh"
kestrix_wine_env
work=$(mktemp -d)
own_display=0
pid=
cleanup() {
    [ -z "$pid" ] || { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
    if [ "$own_display" = 1 ]; then
        kestrix_wine_stop
        kestrix_display_stop
    fi
    rm -rf "$work"
}
kestrix_cleanup_on_exit cleanup
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    kestrix_wine_stop
    own_display=1
    kestrix_display_start one "$work" 2>/dev/null
fi
"$tools/setup-prefix"

"$KESTRIX_WINE" "$exe" "$@" >"$work/out" 2>&1 &
pid=$!
sleep 5  # start-up settles: icon added, hotkey registered
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks)
sleep "$seconds"
after=$(ticks)
rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
threads=$(ls "/proc/$pid/task" | wc -l)
echo "process: $(cat "/proc/$pid/comm") (pid $pid, $threads threads)"
echo "cpu over ${seconds} s idle: $(( (after - before) * 1000 / hz )) ms (start-up before that: $(( before * 1000 / hz )) ms)"
echo "resident memory: $((rss / 1024)) MiB ($rss KiB)"
