#!/usr/bin/env bash
# Send to a device under load and the panel's speed, over loopback only, inside
# network namespaces made for the purpose (needs root for `unshare -n`):
#   1. bench/transfer_bench natively: 1,000 malformed requests, 200 clients at once,
#      a PNG of MEGABYTES served whole (MB/s);
#   2. the same bench built for Windows, under Wine;
#   3. kestrix.exe under Wine on a private 1920x1080 display: the toolbar's Send
#      pressed on a whole-monitor capture until the panel is shown, RUNS times
#      (the export, the clipboard and the PNG encoding included);
#   4. the panel's own share: send_to_device called with that capture's PNG until
#      the panel is shown, and closing it until send_to_device returns.
#   tools/bench/send-bench.sh [NATIVE_BUILD] [WINDOWS_BUILD] [MEGABYTES] [RUNS]
#   (defaults build/native build/windows 25 5)
# The capture is a noisy plasma unless KESTRIX_BENCH_BACKGROUND names a PNG to show
# instead, such as tools/bench/take-screenshots.sh's ui-1920x1080.png.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
native=${1:-build/native}
windows=${2:-build/windows}
megabytes=${3:-25}
runs=${4:-5}

if [ -z "${KESTRIX_SEND_BENCH_INSIDE:-}" ]; then
    unshare -n true 2>/dev/null || { echo "send-bench: needs a network namespace ('unshare -n' as root)" >&2; exit 1; }
    [ -x "$native/bench/transfer_bench" ] || { echo "no $native/bench/transfer_bench: build the native preset" >&2; exit 1; }
    echo "== 1. natively"
    unshare -n sh -c 'ip link set lo up && exec "$0" "$@"' "$native/bench/transfer_bench" "$megabytes"
    # Wine creates its sockets in the wineserver: it starts inside the namespace.
    KESTRIX_SEND_BENCH_INSIDE=1 exec unshare -n bash "${BASH_SOURCE[0]}" "$@"
fi

ip link set lo up
ip addr add 10.77.0.2/24 dev lo  # the route probe finds it; nothing leaves the namespace
ip route add default dev lo src 10.77.0.2
source tools/bench/bench-env.sh
kestrix_bench_setup "$windows" transfer_bench
kestrix_display_start 1920x1080 "$work"
tools/wine/setup-prefix

echo "== 2. under Wine"
tools/wine/run-exe "$exe" "$megabytes" | tr -d '\r'

echo "== 3. Send pressed -> panel shown, kestrix.exe at 1920x1080"
kestrix_bench_busy_background 1920x1080
probes="$windows/tests/wine"
mkdir -p "$work/app"
cp "$windows/kestrix.exe" "$work/app/"
printf 'language = "en"\ntransfer_enabled = true\nshow_confirmation = false\ncheck_for_updates = false\n' >"$work/app/kestrix.toml"
(cd "$work" && exec "$KESTRIX_WINE" "$work/app/kestrix.exe" "$KESTRIX_QUIET_START") >/dev/null 2>&1 &
app=$!
tray=
for _ in $(seq 1 150); do
    tray=$(xdotool search --onlyvisible --name '^Wine System Tray$' 2>/dev/null | head -n1 || true)
    [ -n "$tray" ] && break
    sleep 0.1
done
[ -n "$tray" ] || { echo "no tray icon"; kill "$app"; exit 1; }
read -r tray_x tray_y < <(xwininfo -id "$tray" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x + 12, y + 12}')
# A click on the bare monitor takes it whole; the toolbar (690 wide with Send) then
# sits inside its lower edge, Send at 533..564.
send_x=$((1920 - 690 + 533 + 16)) send_y=$((1080 - 48 - 10 + 24))
: >"$work/times"
for ((run = 1; run <= runs; ++run)); do
    xdotool mousemove "$tray_x" "$tray_y"
    sleep 0.3
    xdotool key ctrl+alt+a
    sleep 2
    xdotool mousemove 900 500 click 1
    sleep 0.6
    "$KESTRIX_WINE" "$probes/click_timer.exe" "$send_x" "$send_y" KestrixSendPanel 15000 | tr -d '\r' | tee -a "$work/times" || true
    sleep 0.5
    "$KESTRIX_WINE" "$probes/close_window.exe" "Send to a device" >/dev/null 2>&1 || true
    sleep 1
done
sed -nE 's/^shown after ([0-9.]+) ms$/\1/p' "$work/times" | sort -n |
    awk '{ v[NR] = $1 } END { if (NR) printf "Send pressed -> panel shown at 1920x1080: median %.1f ms over %d runs (min %.1f, max %.1f)\n",
                                           v[int((NR + 1) / 2)], NR, v[1], v[NR] }'
"$KESTRIX_WINE" "$probes/post_to_host.exe" quit 0 >/dev/null 2>&1 || true
wait "$app" 2>/dev/null || true

echo "== 4. send_to_device -> panel shown, the same capture's PNG"
convert "$work/background.png" -depth 8 "PNG24:$work/capture.png"
echo "PNG of $(stat -c %s "$work/capture.png") bytes"
for ((run = 1; run <= runs; ++run)); do
    "$KESTRIX_WINE" "$probes/send_probe.exe" "$(sed 's|/|\\|g; s|^|Z:|' <<<"$work/capture.png")" 300 | tr -d '\r' |
        tee -a "$work/probe" || true
done
for figure in "panel shown after" "closed: send_to_device returned"; do
    grep -F "$figure" "$work/probe" | sed -E 's/.* ([0-9.]+) ms.*/\1/' | sort -n |
        awk -v f="$figure" '{ v[NR] = $1 } END { if (NR) printf "%s: median %.1f ms over %d runs (min %.1f, max %.1f)\n",
                                                 f, v[int((NR + 1) / 2)], NR, v[1], v[NR] }'
done
