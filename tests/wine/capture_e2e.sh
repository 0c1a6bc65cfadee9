#!/usr/bin/env bash
# End to end under Wine on the two-monitor display: known content goes on the
# X screen, the Windows build lists the monitors and captures the virtual
# desktop, and the capture must equal the X server's own screenshot pixel for
# pixel, with the marker window where X put it.
#   capture_e2e.sh capture_probe.exe WORKDIR
# Uses $DISPLAY when it already has the two-monitor layout, else starts its own.
set -euo pipefail
probe=$1
work=$2
tools="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine" && pwd)"
source "$tools/common.sh"
source "$tools/display.sh"
source "$tools/checks.sh"
kestrix_wine_env

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)

marker_pid=
own_display=0
cleanup() {
    [ -z "$marker_pid" ] || { kill "$marker_pid" 2>/dev/null || true; wait "$marker_pid" 2>/dev/null || true; }
    release_own_display
}
kestrix_cleanup_on_exit cleanup


kestrix_use_two_monitor_display "$work"
"$tools/setup-prefix"

# The whole root gets a non-repeating picture, so any offset or stride error
# shows; a marker window straddles the two monitors at a known place.
read -r root_w root_h < <(xdpyinfo | awk '/dimensions:/ {split($2, s, "x"); print s[1], s[2]}')
convert -seed 4242 -size "${root_w}x${root_h}" plasma:fractal -depth 8 "$work/background.png"
# display exits with 1 even when the background was set; the comparison below checks it
display -window root "$work/background.png" || true
marker_x=1180 marker_y=300
convert -size 200x150 xc:'#ff00ff' -fill '#00c000' -draw 'rectangle 20,20 179,129' \
    -fill '#0000ff' -draw 'rectangle 90,60 109,89' -depth 8 "$work/marker.png"
display -borderwidth 0 -geometry "+$marker_x+$marker_y" -title capture-marker "$work/marker.png" &
marker_pid=$!
marker_geometry() {
    xwininfo -name capture-marker 2>/dev/null |
        awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x","y" "w"x"h}'
}
# display may map its window a pixel larger and then size it to the picture: wait
# for the window to settle rather than read its first geometry.
for _ in $(seq 1 100); do
    geometry=$(marker_geometry) || true
    [ "$geometry" = "$marker_x,$marker_y 200x150" ] && break
    sleep 0.1
done
check "marker window placed by X" "$marker_x,$marker_y 200x150" "$geometry"
sleep 0.5  # let the marker's first expose be drawn

status=0
"$tools/run-exe" "$probe" "Z:$work/capture.png" >"$work/probe.raw" 2>"$work/probe.err" || status=$?
tr -d '\r' <"$work/probe.raw" >"$work/probe.out"  # the probe writes Windows line ends
if [ "$status" -ne 0 ]; then
    echo "FAILED: the probe exited with $status"
    cat "$work/probe.out" "$work/probe.err"
    exit 1
fi
import -window root -depth 8 "$work/root.png"
cat "$work/probe.out"

check "monitor list, primary first" \
    "monitor 0: 0,0 1920x1080 scale 100 primary|monitor 1: -1280,0 1280x1024 scale 100" \
    "$(grep '^monitor' "$work/probe.out" | paste -sd '|')"
check "virtual desktop" "desktop: -1280,0 3200x1080" "$(grep '^desktop' "$work/probe.out")"
check "captured image covers the desktop" "capture: 3200x1080 tile at -1280,0" "$(grep '^capture' "$work/probe.out")"
check "capture size equals the X root" "${root_w}x${root_h}" "$(identify -format '%wx%h' "$work/capture.png")"

if [ -f "$work/capture.png" ]; then
    differing=$(compare -metric AE "$work/capture.png" "$work/root.png" "$work/difference.png" 2>&1 || true)
    check "pixels differing from the X screenshot" 0 "$differing"
    convert "$work/capture.png" -crop "200x150+$marker_x+$marker_y" +repage "$work/capture-marker.png"
    differing=$(compare -metric AE "$work/capture-marker.png" "$work/marker.png" null: 2>&1 || true)
    check "marker pixels at its X position" 0 "$differing"
fi

checks_summary "capture e2e"
