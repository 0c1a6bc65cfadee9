#!/usr/bin/env bash
# The hotkey to the first frame, as a user sees it, under Wine on private
# displays of 1920x1080 (one monitor), 3200x1080 (two) and 11520x2160 (three 4K
# monitors): kestrix.exe in the notification area, the hotkey pressed through
# XTest, and a pixel of the X root window polled from outside until it shows the
# dimmed overlay (tools/bench/first_frame_watch.c). Interleaved with the captures:
# the floor (bench/capture_floor_bench.exe), one BitBlt of the virtual desktop and
# the plainest first frame a program can show (that copy dimmed and put in a new
# window on its own hotkey), and, when given, a peer program driven the same way
# with its own hotkey. On the
# 3200x1080 and 11520x2160 displays also Enter on a monitor clicked (a 1920x1080
# and a 3840x2160 selection) to the clipboard filled and to the confirmation
# shown (bench/enter_bench.exe), beside Wine's own clipboard hand-over of a DIB
# of that size (bench/clipboard_bench.exe); and on 11520x2160 the private working
# set (resident anonymous memory) before, at the peak of and after such a session.
# Kestrix also says where its time went (KESTRIX_FIRST_FRAME_LOG): the bench
# prints its own capture beside the floor's, and the time from the end of that
# capture to the dimmed pixels on screen.
#   tools/bench/first-frame-bench.sh [BUILD_DIR] [--runs N] [--sizes "WxH ..."]
#       [--compare KESTRIX_EXE] [--peer COMMAND --peer-key KEYS]
# BUILD_DIR defaults to build/windows (kestrix.exe and the benchmarks built).
# --compare times another kestrix.exe (an earlier build, say) the same way, in
# blocks alternating with this one. KEYS are xdotool key names joined by "+"
# (ctrl+shift+x); a peer's overlay counts as shown when the pixel has darkened by
# at least 8 in every channel. Nothing is installed: the peer is whatever
# COMMAND starts.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
build=build/windows runs=10 sizes="1920x1080 3200x1080 11520x2160" compare= peer= peer_key=
[ $# -gt 0 ] && [[ $1 != --* ]] && { build=$1; shift; }
while [ $# -gt 0 ]; do
    case $1 in
        --runs) runs=$2; shift 2 ;;
        --sizes) sizes=$2; shift 2 ;;
        --compare) compare=$(realpath "$2"); shift 2 ;;
        --peer) peer=$2; shift 2 ;;
        --peer-key) peer_key=$2; shift 2 ;;
        *) echo "unknown argument $1" >&2; exit 2 ;;
    esac
done
[ -z "$peer" ] || [ -n "$peer_key" ] || { echo "--peer needs --peer-key" >&2; exit 2; }
source tools/bench/bench-env.sh
kestrix_bench_setup "$build" capture_floor_bench
floor_exe=$exe
for program in "$build/kestrix.exe" "$build/bench/enter_bench.exe" "$build/bench/clipboard_bench.exe"; do
    [ -f "$program" ] || { echo "no $program: build the windows preset first" >&2; exit 1; }
done
source tools/wine/tray.sh
watcher=$work/first_frame_watch
first_frame_log=$work/first-frame.log floor_frame_log=$work/floor-frame.log
cc -O2 -o "$watcher" tools/bench/first_frame_watch.c -lX11 -lXtst

app_pid= floor_pid= peer_pid= sampler_pid=
stop_pid() {
    [ -n "$1" ] || return 0
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
stop_programs() {
    stop_pid "$sampler_pid"; stop_pid "$peer_pid"; stop_pid "$floor_pid"; stop_pid "$app_pid"
    app_pid= floor_pid= peer_pid= sampler_pid=
}
kestrix_cleanup_on_exit 'stop_programs; kestrix_bench_cleanup'

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) printf "%.1f", v[int((NR + 1) / 2)]; else printf "-" }'; }
figures() { sed -n "s/^$1 //p" "$2" | grep -v -- '^-$' | median; }  # figures NAME FILE: their median
mib() { awk -v b="$1" 'BEGIN { printf "%.0f MiB", b / 1048576 }'; }
root_pixel() { convert "x:root[1x1+$1+$2]" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -n1; }
rss_anon() { awk '/^RssAnon:/ { print $2 * 1024 }' "/proc/$1/status"; }

# kestrix.exe EXE from a directory of its own with the defaults that matter here,
# until its icon shows: sets app_pid.
start_kestrix() {  # start_kestrix EXE
    rm -rf "$work/app" && mkdir -p "$work/app"
    cp "$1" "$work/app/kestrix.exe"
    printf '%s\n' 'hotkey = "Ctrl+Alt+A"' 'overlay_dim_percent = 45' 'show_confirmation = true' 'language = "en"' \
        'transfer_enabled = false' 'show_tray_icon = true' 'check_for_updates = false' >"$work/app/kestrix.toml"
    : >"$first_frame_log"
    (cd "$work/app" && KESTRIX_FIRST_FRAME_LOG="Z:${first_frame_log//\//\\}" exec "$KESTRIX_WINE" kestrix.exe) >/dev/null 2>&1 &
    app_pid=$!
    kestrix_find_tray_icon 63,197,99 "$work/tray.png" 30 || { echo "no tray icon" >&2; exit 1; }
}

# One capture: the pointer on the tray, the keys, the figures appended to FILE,
# then Esc and a wait until the pixel shows the desktop again. With INSIDE, also
# what the program logged of this capture into LOG (Kestrix's unless given) and,
# from it, "after-capture": the dimmed pixels less the time to the end of its own
# capture.
timed_capture() {  # timed_capture KEYS WAIT FILE [INSIDE [LOG]]
    xdotool mousemove "$icon_x" "$icon_y"
    sleep 0.3
    local before figures
    before=$(root_pixel "$probe_x" "$probe_y")
    local log=${5:-$first_frame_log}
    : >"$log"
    figures=$("$watcher" --key "$1" --at "$probe_x,$probe_y" --wait "$2" --timeout 8000 || true)
    echo "$figures" >>"$3"
    if [ -n "${4:-}" ]; then
        tr -d '\r' <"$log" >>"$4"
        { echo "$figures"; cat "$log"; } | awk '/^dimmed [0-9]/ { d = $2 }
            /^hotkey-to-capture/ { h = $2; c = $4 } END { if (d != "" && c != "") printf "after-capture %.1f\n", d - h - c }' >>"$4"
    fi
    sleep 0.3  # the overlay settles before it is closed
    xdotool key Escape
    for _ in $(seq 1 100); do [ "$(root_pixel "$probe_x" "$probe_y")" = "$before" ] && return 0; sleep 0.05; done
    echo "(the overlay did not close)" >&2
}

# A block of COUNT captures with EXE, each followed by one floor measurement.
capture_block() {  # capture_block EXE LABEL COUNT
    start_kestrix "$1"
    timed_capture ctrl+alt+a dimmed /dev/null  # a process's first capture pays first uses: not counted
    local i line
    for ((i = 0; i < $3; ++i)); do
        timed_capture ctrl+alt+a dimmed "$work/$2.txt" "$work/$2-inside.txt"
        echo go >&"${FLOOR[1]}"
        read -r -t 60 line <&"${FLOOR[0]}" && echo "$line" | tr -d '\r' >>"$work/floor.txt"
        timed_capture ctrl+alt+f dimmed "$work/floor-frame.txt" "$work/floor-frame-inside.txt" "$floor_frame_log"
        [ -z "$peer" ] || timed_capture "$peer_key" darker "$work/peer.txt"
    done
    stop_pid "$app_pid"
    app_pid=
}

# Enter on a monitor clicked in the overlay, RUNS times: clipboard and confirmation
# into LABEL-enter.txt; with MEMORY the private working set over the first session.
enter_block() {  # enter_block EXE LABEL CLICK_X CLICK_Y [MEMORY]
    start_kestrix "$1"
    timed_capture ctrl+alt+a dimmed /dev/null
    local i
    for ((i = 0; i < (runs < 5 ? runs : 5); ++i)); do
        if [ -n "${5:-}" ] && [ "$i" = 0 ]; then
            rm -f "$work/session-done"
            # The sampler writes its two lines when it ends: into a file of its own, since
            # it would write them over the lines this script adds meanwhile.
            : >"$work/$2-memory.txt"
            "$watcher" --sample "$app_pid" --until-file "$work/session-done" >"$work/$2-sampler.txt" &
            sampler_pid=$!
        fi
        xdotool mousemove "$icon_x" "$icon_y"
        sleep 0.3
        "$watcher" --key ctrl+alt+a --at "$probe_x,$probe_y" --timeout 8000 >/dev/null || true
        sleep 0.3
        [ -z "$sampler_pid" ] || echo "private-open $(rss_anon "$app_pid")" >>"$work/$2-memory.txt"
        xdotool mousemove "$3" "$4" click 1
        sleep 0.5
        "$KESTRIX_WINE" "$build/bench/enter_bench.exe" 2>/dev/null | tr -d '\r' >>"$work/$2-enter.txt" || true
        sleep 2.5  # the confirmation fades out
        if [ -n "$sampler_pid" ]; then
            touch "$work/session-done"
            wait "$sampler_pid" || true
            cat "$work/$2-sampler.txt" >>"$work/$2-memory.txt"
            sampler_pid=
            sleep 1
            echo "private-after $(rss_anon "$app_pid")" >>"$work/$2-memory.txt"
        fi
    done
    stop_pid "$app_pid"
    app_pid=
}

# What a program logged of its captures (INSIDE), when it logged anything.
report_inside() {  # report_inside NAME INSIDE
    local inside=$2
    grep -q '^after-capture' "$inside" 2>/dev/null || return 0
    stage() { grep '^hotkey-to-capture' "$inside" | awk -v f="$1" '{ print $f }' | median; }
    echo "  $1, inside the program: hotkey to capture $(stage 2) ms, its capture $(stage 4) ms," \
         "capture to first paint done $(stage 6) ms"
    echo "  $1, from the end of its capture to dimmed pixels on screen: $(figures after-capture "$inside") ms"
}

report_block() {  # report_block LABEL
    echo "  $1: window mapped $(figures mapped "$work/$1.txt") ms, dimmed pixels $(figures dimmed "$work/$1.txt") ms"
    report_inside "$1" "$work/$1-inside.txt"
}

for size in $sizes; do
    case $size in
        1920x1080) layout=one ;;
        3200x1080) layout=two ;;
        11520x2160) layout=three-4k ;;
        *) echo "no display layout for $size" >&2; exit 2 ;;
    esac
    kestrix_display_start "$layout" "$work"
    tools/wine/setup-prefix
    read -r root_w root_h < <(xdpyinfo | awk '/dimensions:/ {split($2, s, "x"); print s[1], s[2]}')
    # Busy pixels, with a light square to read far from the tray, the hint and the magnifier.
    probe_x=$((root_w - 60)) probe_y=$((root_h - 60))
    convert -seed 3 -size "${root_w}x${root_h}" plasma:fractal \
        -fill '#C8B4A0' -draw "rectangle $((probe_x - 20)),$((probe_y - 20)) $((probe_x + 20)),$((probe_y + 20))" \
        "$work/background.png"
    display -window root "$work/background.png" || true
    coproc FLOOR { KESTRIX_FIRST_FRAME_LOG="Z:${floor_frame_log//\//\\}" "$KESTRIX_WINE" "$floor_exe" 2>/dev/null; }
    floor_pid=$FLOOR_PID
    read -r -t 60 _ <&"${FLOOR[0]}" || true
    if [ -n "$peer" ]; then
        $peer >/dev/null 2>&1 &
        peer_pid=$!
        sleep 5  # a program of unknown start-up: there is no condition to wait for
    fi
    rm -f "$work"/*-inside.txt "$work"/kestrix.txt "$work"/compare.txt "$work"/floor.txt "$work"/floor-frame.txt "$work"/peer.txt "$work"/*-enter.txt "$work"/*-memory.txt "$work"/*-sampler.txt
    # Blocks of at most five captures, alternating with the build compared.
    for ((done_runs = 0; done_runs < runs; done_runs += 5)); do
        count=$((runs - done_runs < 5 ? runs - done_runs : 5))
        capture_block "$build/kestrix.exe" kestrix "$count"
        [ -z "$compare" ] || capture_block "$compare" compare "$count"
    done
    dimmed=$(figures dimmed "$work/kestrix.txt")
    floor_fresh=$(awk '{ print $3 }' "$work/floor.txt" | median)
    floor_kept=$(awk '{ print $5 }' "$work/floor.txt" | median)
    echo "$size, medians of $runs:"
    report_block kestrix
    [ -z "$compare" ] || report_block compare
    echo "  floor, one BitBlt of the virtual desktop: $floor_fresh ms into a new bitmap, $floor_kept ms into a kept one"
    echo "  floor, the plainest first frame (that copy dimmed in a new window): window mapped" \
         "$(figures mapped "$work/floor-frame.txt") ms, dimmed pixels $(figures dimmed "$work/floor-frame.txt") ms"
    report_inside "floor, the plainest first frame" "$work/floor-frame-inside.txt"
    awk -v d="$dimmed" -v f="$floor_fresh" -v k="$floor_kept" 'BEGIN {
        printf "  Kestrix dimmed pixels minus the floor: %.1f ms (new bitmap), %.1f ms (kept bitmap)\n", d - f, d - k }'
    if [ -n "$peer" ]; then
        peer_shown=$(figures darker "$work/peer.txt")
        echo "  peer: window mapped $(figures mapped "$work/peer.txt") ms, darker pixels $peer_shown ms"
        awk -v d="$dimmed" -v p="$peer_shown" 'BEGIN { if (p > 0) printf "  Kestrix / peer: %.2f\n", d / p }'
    fi

    selection= memory=
    case $layout in
        two) selection=1920x1080 click_x=2240 click_y=540 ;;            # the primary monitor
        three-4k) selection=3840x2160 click_x=5760 click_y=1080 memory=1 ;;  # the middle one
    esac
    if [ -n "$selection" ]; then
        labels=(kestrix)
        [ -z "$compare" ] || labels+=(compare)
        for label in "${labels[@]}"; do
            program=$build/kestrix.exe
            [ "$label" = kestrix ] || program=$compare
            enter_block "$program" "$label" "$click_x" "$click_y" "$memory"
            echo "  $label, Enter on a $selection selection: clipboard filled $(figures clipboard "$work/$label-enter.txt") ms," \
                 "confirmation visible $(figures confirmation "$work/$label-enter.txt") ms"
            if [ -n "$memory" ]; then
                read -r first open peak after < <(awk '{ v[$1] = $2 }
                    END { print v["private-first"], v["private-open"], v["private-peak"], v["private-after"] }' "$work/$label-memory.txt")
                copy=$((root_w * root_h * 4))
                echo "  $label, private working set: before $(mib "$first"), with the overlay open $(mib "$open")," \
                     "peak during the session (Enter included) $(mib "$peak"), after $(mib "$after"); one copy of the desktop is $(mib "$copy")"
                awk -v a="$first" -v o="$open" -v p="$peak" -v c="$copy" -v l="$label" 'BEGIN {
                    printf "  %s, copies of the desktop added: %.2f with the overlay open, %.2f at the peak\n", l, (o - a) / c, (p - a) / c }'
            fi
        done
        convert "$work/background.png" -crop "$selection+$((click_x - ${selection%x*} / 2))+0" +repage "$work/selection.png"
        handover=$("$KESTRIX_WINE" "$build/bench/clipboard_bench.exe" --runs 5 "Z:${work//\//\\}\\selection.png" 2>/dev/null |
            tr -d '\r' | sed -n 's/^ *DIB hand-over *median *\([0-9.]*\) ms.*/\1/p')
        echo "  Wine's clipboard hand-over of a $selection DIB (the floor): median $handover ms"
    fi
    stop_programs
    kestrix_wine_stop
    kestrix_display_stop
done
