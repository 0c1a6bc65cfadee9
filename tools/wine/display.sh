# Private X servers for running the Windows build under Wine (sourced, not run).
#
#   kestrix_display_start one  LOGDIR   # Xvfb, one 1920x1080 monitor
#   kestrix_display_start two  LOGDIR   # Xorg dummy: 1920x1080 primary, 1280x1024 to its left
#   kestrix_display_start three-4k LOGDIR  # Xorg dummy: three 3840x2160 side by side (11520x2160)
#   kestrix_display_start WxH  LOGDIR   # Xvfb, one monitor of that size
#   kestrix_display_stop
#
# The server picks a free display number itself (-displayfd); DISPLAY is set
# to it. The caller stops the server (see kestrix_cleanup_on_exit).

KESTRIX_DISPLAY_PID=

# Waits for the server to report its display number and to answer.
kestrix_display_wait() {
    local numfile=$1 log=$2 i
    for i in $(seq 1 200); do
        if ! kill -0 "$KESTRIX_DISPLAY_PID" 2>/dev/null; then
            echo "[display] the X server exited during start-up; log: $log" >&2
            tail -n 20 "$log" >&2 || true
            KESTRIX_DISPLAY_PID=
            return 1
        fi
        if [ -s "$numfile" ]; then
            export DISPLAY=":$(tr -dc 0-9 <"$numfile")"
            if xdpyinfo >/dev/null 2>&1; then return 0; fi
        fi
        sleep 0.1
    done
    echo "[display] the X server did not answer within 20 s; log: $log" >&2
    kestrix_display_stop
    return 1
}

# One dummy screen of VIRTUAL_W x VIRTUAL_H (3840x2160 unless given), with video
# memory for all of it.
kestrix_write_xorg_dummy_conf() {  # kestrix_write_xorg_dummy_conf FILE [VIRTUAL_W VIRTUAL_H]
    local width=${2:-3840} height=${3:-2160}
    # Room beyond the screen itself: without it the dummy driver refuses the size.
    local video_kib=$((width * height * 4 / 1024 + 32768))
    [ "$video_kib" -ge 65536 ] || video_kib=65536
    cat >"$1" <<CONF
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
  Option "DontVTSwitch" "true"
  Option "AllowMouseOpenFail" "true"
  Option "BlankTime" "0"
  Option "StandbyTime" "0"
  Option "SuspendTime" "0"
  Option "OffTime" "0"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam $video_kib
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0 - 1000.0
  VertRefresh 5.0 - 200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1920x1080"
    Virtual $width $height
  EndSubSection
EndSection
Section "ServerLayout"
  Identifier "layout"
  Screen "screen"
EndSection
CONF
}

# Puts the second monitor left of the primary. The final query matters: Wine
# was seen to report only the primary unless the layout is read back once.
kestrix_layout_two_monitors() {
    xrandr --output DUMMY0 --mode 1920x1080 --primary --pos 0x0 &&
        xrandr --addmode DUMMY1 1280x1024 &&
        xrandr --output DUMMY1 --mode 1280x1024 --left-of DUMMY0 || return 1
    local monitors
    monitors=$(xrandr --listmonitors)
    case "$monitors" in
        *"Monitors: 2"*"1920/"*"x1080/"*"+1280+0"*"1280/"*"x1024/"*"+0+0"*) return 0 ;;
    esac
    echo "[display] unexpected monitor layout:" >&2
    echo "$monitors" >&2
    return 1
}

# Three 3840x2160 monitors side by side, the primary on the left. The dummy
# driver offers no mode that large by itself: a 30 Hz one is added.
kestrix_layout_three_4k() {
    xrandr --newmode kestrix-4k 262.75 3840 4056 4464 5088 2160 2163 2168 2200 -hsync +vsync &&
        xrandr --addmode DUMMY0 kestrix-4k && xrandr --addmode DUMMY1 kestrix-4k && xrandr --addmode DUMMY2 kestrix-4k &&
        xrandr --output DUMMY0 --mode kestrix-4k --primary --pos 0x0 \
            --output DUMMY1 --mode kestrix-4k --right-of DUMMY0 \
            --output DUMMY2 --mode kestrix-4k --right-of DUMMY1 || return 1
    local monitors
    monitors=$(xrandr --listmonitors)
    case "$monitors" in
        *"Monitors: 3"*"+0+0"*"+3840+0"*"+7680+0"*) return 0 ;;
    esac
    echo "[display] unexpected monitor layout:" >&2
    echo "$monitors" >&2
    return 1
}

# Starts Xorg with the dummy driver on a screen of W x H; the caller lays out its monitors.
kestrix_start_xorg_dummy() {  # kestrix_start_xorg_dummy LOGDIR NUMFILE W H
    local conf="$1/xorg-dummy.conf" log="$1/xorg-$$.log"
    kestrix_write_xorg_dummy_conf "$conf" "$3" "$4"
    Xorg -displayfd 3 -config "$conf" -noreset -nolisten tcp -novtswitch -sharevts \
        -logfile "$log" 3>"$2" >"$1/xorg-$$.out" 2>&1 </dev/null &
    KESTRIX_DISPLAY_PID=$!
    kestrix_display_wait "$2" "$log"
}

kestrix_display_start() {
    local layout=$1 logdir=$2
    mkdir -p "$logdir"
    logdir=$(cd "$logdir" && pwd)
    local numfile="$logdir/display-$$.number" log
    rm -f "$numfile"
    case "$layout" in
        two)
            kestrix_start_xorg_dummy "$logdir" "$numfile" 3840 2160 || return 1
            kestrix_layout_two_monitors || { kestrix_display_stop; return 1; }
            ;;
        three-4k)
            kestrix_start_xorg_dummy "$logdir" "$numfile" 11520 2160 || return 1
            kestrix_layout_three_4k || { kestrix_display_stop; return 1; }
            ;;
        one | [0-9]*x[0-9]*)
            local size=1920x1080
            [ "$layout" = one ] || size=$layout
            log="$logdir/xvfb-$$.log"
            Xvfb -displayfd 3 -screen 0 "${size}x24" -noreset -nolisten tcp \
                3>"$numfile" >"$log" 2>&1 </dev/null &
            KESTRIX_DISPLAY_PID=$!
            kestrix_display_wait "$numfile" "$log" || return 1
            ;;
        *)
            echo "[display] unknown layout '$layout' (one, two, three-4k or WxH)" >&2
            return 1
            ;;
    esac
    echo "[display] $layout on $DISPLAY (pid $KESTRIX_DISPLAY_PID)" >&2
}

kestrix_display_stop() {
    [ -n "${KESTRIX_DISPLAY_PID:-}" ] || return 0
    local pid=$KESTRIX_DISPLAY_PID i
    KESTRIX_DISPLAY_PID=
    kill -TERM "$pid" 2>/dev/null || return 0
    for i in $(seq 1 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

# Runs the given cleanup command on every way out, signals included.
kestrix_cleanup_on_exit() {
    trap "$1" EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    trap 'exit 129' HUP
}

# Keeps $DISPLAY when it is the two-monitor layout (1920x1080 primary, 1280x1024 to
# its left); otherwise starts a private one with its files in DIR and sets
# own_display=1, so that the caller stops it again.
kestrix_use_two_monitor_display() {  # kestrix_use_two_monitor_display DIR
    local layout
    layout=$( [ -n "${DISPLAY:-}" ] && xrandr --listmonitors 2>/dev/null || true)
    if grep -q "Monitors: 2" <<<"$layout" && grep -q "1280/[0-9]*x1024/[0-9]*+0+0" <<<"$layout"; then
        return 0
    fi
    kestrix_wine_stop  # a wineserver bound to another display must not serve this one
    own_display=1
    kestrix_display_start two "$1"
}
