# Shared by the scripts that drive kestrix.exe's updates against a local HTTPS feed
# (sourced, not run): the feed itself, the program's host window, its dialogs and
# its menu. Run inside a private mount and network namespace (unshare --mount --net,
# as root), after common.sh's kestrix_wine_env and with no wineserver running yet.
# Expects: $work (files go there), $bin (the helper programs), $release_tool and
# $feed_key (the key the program under test trusts).
#
#   kestrix_feed_start   loopback up, a test CA only this namespace trusts, the feed
#                        on https://localhost:$feed_port serving $feed, the prefix
#   publish VERSION FILE [KEY]   FILE under /files and a manifest naming it, signed
#   feed_mode [stall | status CODE | stall-body BYTES]   how the feed misbehaves (none: serves)
#   begin_case NAME / case_requests / request_paths / end_case   the feed's log, case by case
#   start_app EXE, quit_running_copy, check_for_updates, timer_fires, host_pids
#   wait_for_dialog SECONDS [LABEL], dialog_text, dialog_buttons, click_button LABEL, close_dialog
#   open_menu / close_menu (menu_rect, menu_width), screenshot NAME

feed_port=8443
feed_url=https://localhost:$feed_port
feed=$work/feed
feed_log=$work/feed.log
feed_summary=$work/requests.txt
feed_pid= app_pid=

wine() { "$KESTRIX_WINE" "$@"; }
helper() { local name=$1; shift; wine "$bin/$name.exe" "$@" 2>/dev/null | tr -d '\r'; }
texts() { helper window_texts "$@"; }
digest() { "$release_tool" digest "$1"; }

kestrix_feed_start() {
    local tls=$work/tls
    mkdir -p "$feed/updates/windows" "$feed/files" "$tls"
    : >"$feed_log"
    : >"$feed_summary"
    ip link set lo up
    # A CA that only this namespace trusts, and the feed's certificate for "localhost".
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Kestrix update test CA" \
        -keyout "$tls/ca.key" -out "$tls/ca.pem" \
        -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
    openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" -keyout "$tls/server.key" -out "$tls/server.csr" 2>/dev/null
    printf 'subjectAltName=DNS:localhost\nextendedKeyUsage=serverAuth\n' >"$tls/server.ext"
    openssl x509 -req -in "$tls/server.csr" -CA "$tls/ca.pem" -CAkey "$tls/ca.key" -CAcreateserial -days 2 \
        -extfile "$tls/server.ext" -out "$tls/server.pem" 2>/dev/null
    cat /etc/ssl/certs/ca-certificates.crt "$tls/ca.pem" >"$tls/bundle.crt"
    mount --bind "$tls/bundle.crt" /etc/ssl/certs/ca-certificates.crt

    python3 "$KESTRIX_SOURCE_DIR/tests/wine/update_feed.py" "$feed" "$tls/server.pem" "$tls/server.key" "$feed_port" \
        "$feed_log" "$work/feed.ready" 2>"$work/feed.err" &
    feed_pid=$!
    for _ in $(seq 1 100); do [ -f "$work/feed.ready" ] && break; sleep 0.1; done
    [ -f "$work/feed.ready" ] || { echo "the feed did not start"; cat "$work/feed.err"; return 1; }
    "$KESTRIX_WINE_TOOLS/setup-prefix"
}

# Ends the feed and the program started last.
kestrix_feed_stop() {
    kestrix_wine_stop
    for pid in $app_pid $feed_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    app_pid= feed_pid=
}

# --- the feed ------------------------------------------------------------------------

publish() {  # publish VERSION FILE [SIGNING_KEY]
    local version=$1 file=$2 signing_key=${3:-$feed_key} name
    name=$(basename "$file")
    cp "$file" "$feed/files/$name"
    printf 'version = %s\nurl = %s/files/%s\nsha256 = %s\nnotes = Sharper arrows and a faster overlay.\n' \
        "$version" "$feed_url" "$name" "$(digest "$file")" >"$feed/updates/windows/release.txt"
    "$release_tool" sign "$signing_key" "$feed/updates/windows/release.txt" >"$feed/updates/windows/release.txt.sig"
}
feed_mode() { if [ $# = 0 ]; then rm -f "$feed/.mode"; else echo "$*" >"$feed/.mode"; fi; }

# Builds of "another version": the program with a trailer, which Windows ignores.
make_build() {  # make_build SOURCE_EXE VERSION [EXTRA_BYTES] -> prints the path
    local file=$work/kestrix-$2.exe
    cp "$1" "$file"
    printf 'kestrix update test build %s' "$2" >>"$file"
    [ "${3:-0}" = 0 ] || head -c "$3" /dev/urandom >>"$file"
    echo "$file"
}

log_mark=0 case_name=
begin_case() {  # begin_case NAME: the feed's requests from here on belong to NAME
    case_name=$1
    log_mark=$(wc -l <"$feed_log")
}
case_requests() { tail -n +"$((log_mark + 1))" "$feed_log"; }
end_case() { { echo "== $case_name"; case_requests; echo; } >>"$feed_summary"; }
request_paths() { case_requests | awk '{print $2}' | tr '\n' ' ' | sed 's/ $//'; }

# --- the program -----------------------------------------------------------------------

start_app() {  # start_app EXE: starts a copy and waits for its host window
    "$KESTRIX_WINE" "$1" "$KESTRIX_QUIET_START" >"$work/app.out" 2>"$work/app.err" &
    app_pid=$!
    wait_for_hosts 1 20
}
host_pids() { helper host_windows | awk '/^host / {print $2}' | tr '\n' ' ' | sed 's/ $//'; }
wait_for_hosts() {  # wait_for_hosts COUNT SECONDS
    for _ in $(seq 1 $(($2 * 4))); do
        [ "$(helper host_windows | tail -n1)" = "hosts $1" ] && return 0
        sleep 0.25
    done
    return 1
}
quit_running_copy() {  # asks the running copy to quit, as a second program may
    helper post_broadcast Kestrix.Quit >/dev/null || true
    helper mutex_probe absent 20 >/dev/null || true
    if [ -n "$app_pid" ]; then
        wait_for_exit "$app_pid" 20
        app_pid=
    fi
}
# The menu command and the update timer as the host receives them; with --answer,
# printing how long the host then took to answer (a message box's loop answers too).
check_for_updates() { helper post_to_host "$@" 273 0x1006; }  # WM_COMMAND of the menu item
timer_fires() { helper post_to_host "$@" 275 1; }            # WM_TIMER, the update timer
answer_ms() { sed -n -e 's/^answered after \([0-9]*\) ms$/\1/p' -e 's/^no answer within \([0-9]*\) ms$/>\1/p'; }

# The texts of the window titled "Kestrix" once it has a button (a message box or the
# question), or the button LABEL, within SECONDS.
dialog=
wait_for_dialog() {  # wait_for_dialog SECONDS [LABEL]
    dialog=
    for _ in $(seq 1 $(($1 * 4))); do
        dialog=$(texts Kestrix)
        grep -q "^  Button|${2:-}" <<<"$dialog" && return 0
        sleep 0.25
    done
    return 1
}
dialog_text() { grep '^  Static|[^|]' <<<"$dialog" | cut -d'|' -f2 | paste -sd'|'; }
dialog_buttons() { grep '^  Button|' <<<"$dialog" | cut -d'|' -f2 | paste -sd'|'; }
close_dialog() {  # as a click on the close box; a message box takes it as OK
    helper close_window Kestrix >/dev/null || true
    for _ in $(seq 1 40); do
        [ "$(texts Kestrix | tail -n1)" = "windows 0" ] && return 0
        sleep 0.25
    done
    return 1
}

# Windows screen coordinates to the X root's: Windows puts its origin at the primary
# monitor's top-left corner (the one marked "*", or the only one).
feed_origin() {
    read -r origin_x origin_y < <(xrandr --listmonitors |
        awk 'NR > 1 { split($3, g, "+"); if (!n++ || $2 ~ /\*/) { x = g[2]; y = g[3] } } END { print x + 0, y + 0 }')
}
click_button() {  # click_button LABEL: clicks that button of the open dialog
    local rect left top right bottom
    rect=$(grep "^  Button|$1|" <<<"$dialog" | head -n1 | awk -F'|' '{print $NF}' || true)
    [ -n "$rect" ] || { echo "  (no button '$1' in the dialog: $dialog)"; return 1; }
    IFS=, read -r left top right bottom <<<"$rect"
    xdotool mousemove $((origin_x + (left + right) / 2)) $((origin_y + (top + bottom) / 2)) click 1
}
screenshot() {  # screenshot NAME: the screen around the open dialog
    local rect left top right bottom
    rect=$(head -n1 <<<"$dialog" | awk -F'|' '{print $NF}')
    [[ "$rect" == *,*,*,* ]] || return 0
    IFS=, read -r left top right bottom <<<"$rect"
    import -window root -crop "$((right - left + 40))x$((bottom - top + 40))+$((origin_x + left - 20))+$((origin_y + top - 20))" \
        +repage "$work/$1.png" 2>/dev/null || true
}

# The pop-up menu as the shell opens it for a right click on the icon; sets menu_rect
# ("left top right bottom") and menu_width, 0 when no menu opened.
menu_rect= menu_width=0
open_menu() {
    # The menu opens at the anchor the shell names (the pointer, for a right click):
    # somewhere with room around it on the primary monitor. The version-4 callback:
    # WM_CONTEXTMENU with the icon's id, the anchor in the first parameter.
    xdotool mousemove $((origin_x + 300)) $((origin_y + 300))
    helper post_to_host 0x8001 $(((300 << 16) | 300)) $(((1 << 16) | 0x7B)) >/dev/null
    local line= left top right bottom
    menu_rect= menu_width=0
    for _ in $(seq 1 40); do
        line=$(texts --class '#32768' | grep -m1 '^#32768|' || true)
        [ -n "$line" ] && break
        sleep 0.25
    done
    [ -n "$line" ] || return 1
    IFS=, read -r left top right bottom <<<"$(awk -F'|' '{print $NF}' <<<"$line")"
    menu_rect="$left $top $right $bottom"
    menu_width=$((right - left))
}
close_menu() {  # a click beside the menu closes it
    [ -n "$menu_rect" ] || return 0
    local left top right bottom
    read -r left top right bottom <<<"$menu_rect"
    xdotool mousemove $((origin_x + right + 60)) $((origin_y + bottom + 60)) click 1
    for _ in $(seq 1 20); do
        texts --class '#32768' | grep -q '^#32768|' || return 0
        sleep 0.25
    done
}

# A folder of its own on a small tmpfs, for the executable of a case that needs
# another file system than the work directory's (mounted under $work/NAME).
mount_small_folder() {  # mount_small_folder NAME BYTES
    mkdir -p "$work/$1"
    mount -t tmpfs -o size=$(( ($2 / 4096 + 256) * 4096 )) tmpfs "$work/$1"
}
