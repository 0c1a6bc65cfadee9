#!/usr/bin/env bash
# Send to a device, end to end: kestrix.exe under Wine on the two-monitor display,
# driven with xdotool as a user would, inside network namespaces this script makes
# itself, so that no byte leaves the machine.
#
# In a namespace with an Ethernet at 10.77.0.2 (a veth pair, its gateway at the
# other end) and a VPN (a TUN device) holding the default route, so that the route
# probe answers 10.8.0.6: a capture sent with the toolbar's Send button opens the
# panel with the QR code and the Ethernet's URL; the code on
# screen decodes (zbarimg) to exactly the URL shown; curl fetches the page and the
# image from 127.0.0.1 on the URL's port, and the image is byte for byte the PNG on
# the clipboard; the status counts the downloads, HEAD changes nothing; Copy link
# puts the URL on the clipboard; headless Chromium shows the page with the picture
# and no blocked resource; Stop closes the panel, the port then refuses and the
# capture's toast follows; the page fetched at once, the firewall notice never
# comes. A second capture that nobody reaches for 15 s: the notice and its Firewall
# settings button appear, the panel grows downwards, the button starts the system's
# firewall page, and the first request takes the notice away again. Twenty wrong
# tokens close the link (the code goes, Copy link is disabled) and a quit request
# closes the panel and ends the program. In a namespace with only loopback the panel opens in its
# "not on a network" state; its close box closes it, and so does Esc.
#   send_e2e.sh kestrix.exe BINDIR WORKDIR
# BINDIR holds the probes (road_watch, clipboard_read, window_texts, close_window,
# post_to_host, network_probe). Screenshots of every step are left in WORKDIR. Needs root for
# `unshare -n`. Uses $DISPLAY when it already has the two-monitor layout.
# KESTRIX_SEND_PHASES="offline" (say) runs only some of the phases.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine/e2e.sh" "$1" "$2" "$3"

phase=${KESTRIX_SEND_PHASE:-}

# --- the outer run: display, prefix, the two namespaces ----------------------------
if [ -z "$phase" ]; then
    kestrix_fresh_work
    if ! unshare -n true 2>/dev/null; then
        echo "send e2e: cannot make a network namespace ('unshare -n' needs root or CAP_SYS_ADMIN);"
        echo "send e2e: its checks talk to the panel's server only inside one, so none were run"
        exit 1
    fi
    command -v ip >/dev/null || { echo "send e2e: 'ip' (iproute2) is missing"; exit 1; }
    own_display=0
    cleanup() {
        kestrix_wine_stop  # nothing started in a namespace may serve later tests
        release_own_display
    }
    kestrix_cleanup_on_exit cleanup
    kestrix_use_two_monitor_display "$work"
    "$tools/setup-prefix"
    # Wine creates its sockets in the wineserver, so the server must start inside
    # the namespace too: none may be running now.
    kestrix_wine_stop
    status=0
    for next in ${KESTRIX_SEND_PHASES:-online offline}; do
        KESTRIX_SEND_PHASE=$next unshare -n bash "${BASH_SOURCE[0]}" "$kestrix_exe" "$bin" "$work" || status=1
        kestrix_wine_stop
    done
    passed=$(cat "$work"/*.passed 2>/dev/null | awk '{s += $1} END {print s + 0}')
    failed=$(cat "$work"/*.failed 2>/dev/null | awk '{s += $1} END {print s + 0}')
    for next in ${KESTRIX_SEND_PHASES:-online offline}; do [ -f "$work/$next.passed" ] || status=1; done
    echo "send e2e: $passed checks passed, $failed failed"
    [ "$status" = 0 ] && [ "$failed" = 0 ]
    exit
fi

# --- a phase, inside its namespace -------------------------------------------------
ip link set lo up
app_pid= watch_pid= tun_pid=
if [ "$phase" = online ]; then
    # The phone's network: an Ethernet with its gateway at the veth's other end.
    ip link add lan type veth peer name lan-gateway
    ip addr add 10.77.0.2/24 dev lan
    ip addr add 10.77.0.1/24 dev lan-gateway
    ip link set lan up
    ip link set lan-gateway up
    ip route add default via 10.77.0.1 dev lan metric 100
    # A VPN that takes the default route from it. Everything stays inside the namespace.
    rm -f "$work/tun.ready"
    python3 "$here/hold_tun.py" vpn0 "$work/tun.ready" &
    tun_pid=$!
    for _ in $(seq 1 100); do [ -f "$work/tun.ready" ] && break; sleep 0.1; done
    ip addr add 10.8.0.6/24 dev vpn0
    ip link set vpn0 up
    ip route add default dev vpn0 metric 10
fi
echo "== $phase: $(ip -4 -o addr show | awk '{print $2 " " $4}' | paste -sd' ')"

finish_phase() {
    stop_pid "$watch_pid"
    stop_pid "$app_pid"
    kestrix_wine_stop
    stop_pid "$tun_pid"
    echo "$passes" >"$work/$phase.passed"
    echo "$failures" >"$work/$phase.failed"
}
kestrix_cleanup_on_exit finish_phase

origin=1280  # X root coordinates are desktop units plus 1280
road_prefix="$phase-"
source "$tools/road.sh"
shot() { import -window root -depth 8 "$work/$phase-$1.png"; }

# kestrix.exe with sending allowed, in English.
mkdir -p "$work/$phase/app" "$work/$phase/save"
cp "$kestrix_exe" "$work/$phase/app/kestrix.exe"
cat >"$work/$phase/app/kestrix.toml" <<'TOML'
hotkey = "Ctrl+Alt+A"
overlay_dim_percent = 45
show_confirmation = true
language = "en"
transfer_enabled = true
show_tray_icon = true
check_for_updates = false
TOML
if [ "$phase" = online ]; then
    read -r root_w root_h < <(xdpyinfo | awk '/dimensions:/ {split($2, s, "x"); print s[1], s[2]}')
    convert -seed 4242 -size "${root_w}x${root_h}" plasma:fractal -depth 8 "$work/background.png"
    display -window root "$work/background.png" || true  # exits with 1 even when it worked
fi

panel_texts() { texts --states "Send to a device"; }
field() { cut -d'|' -f"$1"; }  # field N of a window_texts line
statics() { grep '^  Static|' | sed -n "${1}p"; }  # the Nth label: scan hint, URL, warning, status
control() { grep -F "  $1|" | head -n1; }  # control 'Button|Copy link'
# The panel's window in root coordinates: "x y w h".
panel_geometry() { head -n1 | field 3 | awk -F, -v o=$origin '{print $1 + o, $2, $3 - $1, $4 - $2}'; }
# Its client area's size, "WxH": the layout's, inside whatever frame the system draws.
panel_client() { texts --client "Send to a device" | grep '^client|' | head -n1 | field 3 | awk -F, '{print $3 - $1 "x" $4 - $2}'; }
# The black pixels' bounding box in a region of a screenshot: "w h x y" relative to the
# region (nothing when there are none).
black_box() {  # black_box SHOT GEOMETRY
    convert "$1" -crop "$2" +repage -fill white +opaque black -trim \
        -format '%w %h %X %Y' info: 2>/dev/null | tr -d '+' | grep -v '^1 1 ' || true
}

# Where the code is drawn in the panel that $panel describes, as a crop geometry in
# root coordinates: the labels' column, clear of the caption's buttons, from 30
# pixels down (clear of its title; the code's first module is at least 52 down) to
# the scan hint. Sets column, and py, scan_left, scan_top and scan_right with it.
code_column() {
    local px pw ph scan
    read -r px py pw ph < <(panel_geometry <<<"$panel")
    scan=$(statics 1 <<<"$panel" | field 3)
    scan_left=$(cut -d, -f1 <<<"$scan") scan_top=$(cut -d, -f2 <<<"$scan") scan_right=$(cut -d, -f3 <<<"$scan")
    column="$((scan_right - scan_left))x$((scan_top - py - 30))+$((scan_left + origin))+$((py + 30))"
}

# Starts kestrix.exe, captures 640 x 480 at desktop (400, 200) with the hotkey and
# presses the toolbar's Send button; waits for the panel.
sel_x=400 sel_y=200
start_kestrix() {
    # The process trace says what the program starts (the firewall page).
    (cd "$work/$phase/save" && WINEDEBUG=-all,+process exec "$KESTRIX_WINE" "$work/$phase/app/kestrix.exe" "$KESTRIX_QUIET_START") \
        >"$work/$phase-kestrix.out" 2>"$work/$phase-kestrix.err" &
    app_pid=$!
    find_icon
}
capture_and_send() {  # capture_and_send NAME: leaves the watcher running
    watch "$1" 180000 --until "toast gone"
    press_hotkey
    await "overlay shown" 1 10 || true
    sleep 0.4
    drag $((sel_x + origin)) "$sel_y" $((sel_x + origin + 639)) $((sel_y + 479))
    # With sending allowed the toolbar is 690 wide, right-aligned with the selection
    # and 10 below it; Send is the button at 533..564.
    local toolbar_x=$((sel_x + 640 - 690)) toolbar_y=$((sel_y + 480 + 10))
    xdotool mousemove $((toolbar_x + 533 + 16 + origin)) $((toolbar_y + 24)) click 1
    await "send panel shown" 1 15 || true
    panel_opened=$(date +%s%3N)
    sleep 0.6  # painted
}
since_panel_opened() { echo $(($(date +%s%3N) - panel_opened)); }  # milliseconds
notice_controls() { grep -E '^  (Static\|No device has connected yet\.|Button\|Firewall settings\|)' || true; }

# ===================================================================================
if [ "$phase" = online ]; then
    start_kestrix || { echo "FAILED: no tray icon"; exit 1; }
    network=$(wine "$bin/network_probe.exe" 2>/dev/null | tr -d '\r')
    echo "$network" | sed 's/^/    /'
    check "the route probe leaves through the VPN, the Ethernet is chosen" "probe 10.8.0.6|chosen 10.77.0.2 ethernet" \
        "$(grep -E '^(probe|chosen) ' <<<"$network" | paste -sd'|')"

    echo "== capture, Send: the panel"
    capture_and_send first
    shot panel
    panel=$(panel_texts)
    echo "$panel" | sed 's/^/    /'
    check "Send opens one panel titled Send to a device" 1 "$(grep -c '^KestrixSendPanel|Send to a device|' <<<"$panel" || true)"
    url=$(statics 2 <<<"$panel" | field 2)
    port=$(sed -nE 's|^http://10\.77\.0\.2:([0-9]+)/s/[A-Za-z0-9_-]{22}$|\1|p' <<<"$url")
    token=${url##*/}
    # A phone that opens the link at once: the firewall notice must never come.
    base="http://127.0.0.1:$port/s/$token"
    page=$(curl -sS --max-time 10 "$base" || true)
    check "the URL is http://10.77.0.2:PORT/s/ and a 22-character token" yes "$([ -n "$port" ] && echo yes || echo "no: '$url'")"
    check "the scan hint and the warning" "Scan with the other device's camera|Not encrypted — anyone on this network could read it." \
        "$(statics 1 <<<"$panel" | field 2)|$(statics 3 <<<"$panel" | field 2)"
    check "the status counts down from two minutes" yes \
        "$(statics 4 <<<"$panel" | field 2 | grep -qE '^Waiting…  ·  1:[0-5][0-9]$' && echo yes || statics 4 <<<"$panel" | field 2)"
    check "Copy link and Stop, both enabled" "Copy link|enabled Stop|enabled" \
        "$(control 'Button|Copy link' <<<"$panel" | field 2,4) $(control 'Button|Stop' <<<"$panel" | field 2,4)"

    read -r px py pw ph < <(panel_geometry <<<"$panel")
    convert "$work/$phase-panel.png" -crop "${pw}x${ph}+$px+$py" +repage "$work/panel-window.png"
    check "the code on screen decodes to exactly the URL shown" "$url" \
        "$(zbarimg --quiet --raw "$work/panel-window.png" 2>/dev/null | head -n1)"
    # Above the scan hint only the code is black: its modules span the side less the
    # 32-pixel quiet zone on each side.
    code_column
    read -r qw qh qx qy < <(black_box "$work/$phase-panel.png" "$column") || true
    q=$(( ${qw:-0} + 64 ))
    width=$(( q > 300 ? q : 300 ))
    url_lines=$(( $(statics 2 <<<"$panel" | field 3 | awk -F, '{print $4 - $2}') / 20 ))
    warning_lines=$(( $(statics 3 <<<"$panel" | field 3 | awk -F, '{print $4 - $2}') / 20 ))
    check "the code is square, 8 pixels a module" "square, whole modules" \
        "$([ "${qw:-0}" = "${qh:-1}" ] && [ $((${qw:-1} % 8)) = 0 ] && echo "square, whole modules" || echo "${qw:-none}x${qh:-none}")"
    check "the code sits at the labels' margin, the scan hint 10 below it" "0 $((q + 10))" \
        "$((${qx:-0} - 32)) $((scan_top - (py + 30 + ${qy:-0} - 32)))"
    check "the client area: the code's side plus the margins, as high as its lines need" \
        "$((width + 40))x$((q + 20 * url_lines + 20 * warning_lines + 146))" "$(panel_client)"
    check "the window is centred on the primary" "$(((1920 - pw) / 2 + origin)),$(((1080 - ph) / 2))" "$px,$py"
    convert "$work/panel-window.png" -resize 50% "$work/send-panel-small.png"

    echo "== the page and the image from 127.0.0.1:$port"
    check "the page names the image, in English" yes \
        "$(grep -qF "<img src=\"/s/$token/i\"" <<<"$page" && grep -qF '<html lang="en">' <<<"$page" &&
            grep -qF '<p>Press and hold the image to save it</p>' <<<"$page" && echo yes || echo "no: $(head -c 300 <<<"$page")")"
    curl -sS --max-time 20 -D "$work/image.head" -o "$work/served.png" "$base/i" || true
    clipboard sent
    check "the image is byte for byte the PNG on the clipboard" same \
        "$(cmp -s "$work/served.png" "$work/$phase-sent/clip.png" && echo same || echo "differs ($(stat -c %s "$work/served.png" 2>/dev/null) vs $(stat -c %s "$work/$phase-sent/clip.png" 2>/dev/null) bytes)")"
    check "the image is the 640 x 480 selection" "PNG 640x480" "$(identify -format '%m %wx%h' "$work/served.png" 2>&1)"
    check "it is named like a saved capture" yes \
        "$(tr -d '\r' <"$work/image.head" | grep -qE '^Content-Disposition: inline; filename="Kestrix [0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}-[0-9]{2}-[0-9]{2}\.png"$' && echo yes || cat "$work/image.head")"
    sleep 0.8
    status_now() { panel_texts | statics 4 | field 2; }
    check "one download: Delivered, then the time" yes \
        "$(status_now | grep -qE '^Delivered  ·  1:[0-5][0-9]$' && echo yes || status_now)"
    shot delivered
    curl -sS --max-time 20 -o /dev/null "$base/i?again" || true
    sleep 0.8
    check "a second download: Delivered ×2" yes "$(status_now | grep -qE '^Delivered ×2  ·  1:[0-5][0-9]$' && echo yes || status_now)"
    head_reply=$(curl -sS --max-time 10 -I "$base/i" | tr -d '\r' || true)
    check "HEAD: the image's full length and no body" "Content-Length: $(stat -c %s "$work/served.png")" \
        "$(grep '^Content-Length:' <<<"$head_reply")"
    sleep 0.8
    check "HEAD counts nothing" yes "$(status_now | grep -qE '^Delivered ×2  ·' && echo yes || status_now)"

    echo "== Copy link"
    mark_clipboard "send marker" || true
    click_control "$(texts "Send to a device")" 'Button|Copy link'
    clipboard link
    check "Copy link puts the URL on the clipboard" "$url" "$(clip link text)"

    echo "== the page in Chromium"
    if command -v chromium >/dev/null; then
        rm -rf "$work/chromium-profile"
        timeout 90 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
            --disable-background-networking --disable-component-update --disable-sync \
            --user-data-dir="$work/chromium-profile" --enable-logging=stderr --v=0 \
            --window-size=480,760 --screenshot="$work/chromium.png" "$base" >"$work/chromium.log" 2>&1 || true
        check "Chromium took a screenshot" yes "$([ -s "$work/chromium.png" ] && echo yes || tail -n 5 "$work/chromium.log")"
        # The picture fills the width: 640 x 480 scaled to 480 x 360 at the top.
        convert "$work/served.png" -resize 480x360 "$work/served-480.png"
        convert "$work/chromium.png" -crop 480x360+0+0 +repage "$work/chromium-picture.png"
        rmse=$(compare -metric RMSE "$work/served-480.png" "$work/chromium-picture.png" null: 2>&1 | sed -E 's/.*\((.*)\)/\1/' || true)
        check "it shows the picture across the top" yes \
            "$(awk -v e="${rmse:-1}" 'BEGIN {print (e + 0 < 0.06) ? "yes" : "no: RMSE " e}')"
        # Below it, light text on the dark page: the hint and the size line.
        text_pixels=$(convert "$work/chromium.png" -crop 480x80+0+362 +repage -threshold 40% -format '%[fx:int(mean*w*h)]' info:)
        check "the hint and the size line below it" yes "$([ "$text_pixels" -gt 150 ] && echo yes || echo "no: $text_pixels light pixels")"
        check "the page's policy blocks nothing" "" \
            "$(grep -E 'CONSOLE' "$work/chromium.log" | grep -iE 'Content Security Policy|Refused|blocked' | head -n3 || true)"
        sleep 0.8
        check "the browser's download counts: Delivered ×3" yes "$(status_now | grep -qE '^Delivered ×3  ·' && echo yes || status_now)"
    else
        check "chromium is installed" yes no
    fi

    echo "== no firewall notice once a device came"
    waited=$(since_panel_opened)
    [ "$waited" -ge 16500 ] || sleep "$(awk -v ms=$((16500 - waited)) 'BEGIN {print ms / 1000}')"
    check "a device within 15 s: no firewall notice and no button, $(since_panel_opened) ms after opening" "" \
        "$(panel_texts | notice_controls)"
    check "the panel kept its size" "${pw}x$ph" "$(panel_texts | panel_geometry | awk '{print $3 "x" $4}')"

    echo "== Stop"
    click_control "$(texts "Send to a device")" 'Button|Stop'
    await "send panel gone" 1 5 || true
    curl -s --max-time 5 -o /dev/null "$base" && refused=no || refused="exit $?"
    check "Stop closes the panel" 1 "$(seen 'send panel gone')"
    check "the port then refuses connections" "exit 7" "$refused"
    await "toast shown" 1 5 || true
    check "the capture ends with its confirmation" "Copied  640 × 480" "$(event 'toast shown' | sed 's/^[^ ]* [^ ]* text //')"
    watch_end

    echo "== twenty wrong tokens, then a quit request"
    capture_and_send second
    panel=$(panel_texts)
    url2=$(statics 2 <<<"$panel" | field 2)
    port2=$(sed -nE 's|^http://10\.77\.0\.2:([0-9]+)/s/.*|\1|p' <<<"$url2")
    check "a new send has a new token and port" yes \
        "$([ -n "$port2" ] && [ "$url2" != "$url" ] && [ "$port2" != "$port" ] && echo yes || echo "no: $url2")"
    read -r qx2 qy2 qw2 qh2 < <(panel_geometry <<<"$panel")

    echo "== nobody for 15 s: the firewall notice"
    check "no notice while the panel is new" "" "$(notice_controls <<<"$panel")"
    for _ in $(seq 1 120); do
        panel=$(panel_texts)
        [ -n "$(notice_controls <<<"$panel")" ] && break
        sleep 0.25
    done
    appeared=$(since_panel_opened)
    # The script's clock starts when it has seen the panel, a little after the panel's
    # own timer did, so it allows half a second below 15 s.
    check "the notice comes 15 s after the panel opened (at $appeared ms)" yes \
        "$([ "$appeared" -ge 14500 ] && [ "$appeared" -le 22000 ] && echo yes || echo no)"
    notice_line=$(grep -F '  Static|No device has connected yet.' <<<"$panel" | head -n1)
    check "it says why a phone may not get through" \
        "No device has connected yet. If the phone cannot open the link, allow Kestrix through Windows Firewall for private networks, and check that the phone is on the same network." \
        "$(field 2 <<<"$notice_line")"
    firewall=$(control 'Button|Firewall settings' <<<"$panel")
    check "with a Firewall settings button, enabled" "Firewall settings|enabled" "$(field 2,4 <<<"$firewall")"
    shot notice
    read -r nx ny nw nh < <(panel_geometry <<<"$panel")
    notice_h=$(field 3 <<<"$notice_line" | awk -F, '{print $4 - $2}')
    firewall_bottom=$(field 3 <<<"$firewall" | cut -d, -f4)
    copy_top=$(control 'Button|Copy link' <<<"$panel" | field 3 | cut -d, -f2)
    check "the panel grew downwards by the notice's rows, its code where it was" \
        "at $qx2,$qy2, $qw2 wide, $((qh2 + 48 + notice_h)) high, the buttons 14 below Firewall settings" \
        "at $nx,$ny, $nw wide, $nh high, the buttons $((copy_top - firewall_bottom)) below Firewall settings"
    convert "$work/$phase-notice.png" -crop "${nw}x${nh}+$nx+$ny" +repage "$work/send-panel-notice.png"
    click_control "$(texts "Send to a device")" 'Button|Firewall settings'
    # Wine's control.exe ends at once; the process trace of kestrix.exe shows what it started.
    started_page=
    for _ in $(seq 1 40); do
        started_page=$(grep -o 'cmdline L"\\"C:\\\\windows\\\\system32\\\\control.exe\\" [^"]*"' \
            "$work/$phase-kestrix.err" | head -n1 || true)
        [ -n "$started_page" ] && break
        sleep 0.25
    done
    check "Firewall settings starts the system's firewall page" "/name Microsoft.WindowsFirewall /page pageConfigureApps" \
        "$(sed -E 's/.*control.exe\\" (.*)"$/\1/' <<<"$started_page")"
    for i in $(seq 1 19); do curl -s --max-time 5 -o /dev/null "http://127.0.0.1:$port2/s/AAAAAAAAAAAAAAAAAAAAAA/i" || true; done
    sleep 0.8
    check "nineteen wrong tokens leave the link open" yes "$(status_now | grep -qE '^Waiting…  ·' && echo yes || status_now)"
    panel=$(panel_texts)
    check "a device came, if a wrong one: the notice goes and the panel shrinks back" "|${qw2}x$qh2 at $qx2,$qy2" \
        "$(notice_controls <<<"$panel" | head -c 60)|$(panel_geometry <<<"$panel" | awk '{print $3 "x" $4 " at " $1 "," $2}')"
    curl -s --max-time 5 -o /dev/null "http://127.0.0.1:$port2/s/AAAAAAAAAAAAAAAAAAAAAA/i" || true
    sleep 1.0
    shot closed
    panel=$(panel_texts)
    check "the twentieth closes the link" "The link has closed" "$(statics 4 <<<"$panel" | field 2)"
    check "the URL is gone and Copy link is disabled" "|disabled" \
        "$(statics 2 <<<"$panel" | field 2)|$(control 'Button|Copy link' <<<"$panel" | field 4)"
    # This panel is laid out for its own link, so it may sit a few pixels off the first.
    code_column
    check "the code's area is blank" "" "$(black_box "$work/$phase-closed.png" "$column")"
    check "the panel stays open" 1 "$(grep -c '^KestrixSendPanel|' <<<"$panel" || true)"

    wine "$bin/post_to_host.exe" quit 0 || true
    wait_for_exit "$app_pid"
    [ "$exit_status" = running ] || app_pid=
    check "a quit request closes the panel and ends kestrix.exe with code 0" 0 "$exit_status"
    check "no panel is left" "windows 0" "$(texts "Send to a device" | tail -n1)"
fi

# ===================================================================================
if [ "$phase" = offline ]; then
    start_kestrix || { echo "FAILED: no tray icon"; exit 1; }
    echo "== capture, Send, with only loopback"
    capture_and_send offline
    shot panel
    panel=$(panel_texts)
    echo "$panel" | sed 's/^/    /'
    check "the panel opens all the same" 1 "$(grep -c '^KestrixSendPanel|Send to a device|' <<<"$panel" || true)"
    check "it says it is not on a network, and nothing else" \
        "Kestrix is not on a network it can serve on.|||" \
        "$(statics 1 <<<"$panel" | field 2)|$(statics 2 <<<"$panel" | field 2)|$(statics 3 <<<"$panel" | field 2)|$(statics 4 <<<"$panel" | field 2)"
    check "Copy link disabled, Stop enabled" "disabled enabled" \
        "$(control 'Button|Copy link' <<<"$panel" | field 4) $(control 'Button|Stop' <<<"$panel" | field 4)"
    read -r px py pw ph < <(panel_geometry <<<"$panel")
    height=$((20 + $(statics 3 <<<"$panel" | field 3 | awk -F, '{print $4 - $2}') + 146))
    check "no code: a client area 340 wide, as high as the labels need" "340x$height" "$(panel_client)"
    check "centred on the primary monitor" "$(((1920 - pw) / 2 + origin)),$(((1080 - ph) / 2))" "$px,$py"
    wine "$bin/close_window.exe" "Send to a device" >/dev/null 2>&1 || true
    await "send panel gone" 1 5 || true
    await "toast shown" 1 5 || true
    check "the close box closes it and the capture ends as copied" "1 Copied  640 × 480" \
        "$(seen 'send panel gone') $(event 'toast shown' | sed 's/^[^ ]* [^ ]* text //')"
    watch_end

    echo "== Esc"
    capture_and_send escape
    # The panel takes the keyboard, as after a user's click on it.
    click_control "$(texts "Send to a device")" "Static|Kestrix is not on a network it can serve on."
    xdotool key Escape
    await "send panel gone" 1 5 || true
    check "Esc closes it too" 1 "$(seen 'send panel gone')"
    watch_end
    wine "$bin/post_to_host.exe" quit 0 || true
    wait_for_exit "$app_pid"
    [ "$exit_status" = running ] || app_pid=
fi

checks_summary "send e2e ($phase)"
