# Shared by the end-to-end scripts that drive kestrix.exe like a user (sourced, not
# run): the tray icon, the hotkey, drags, the road_watch reports, the clipboard read
# back and the texts of other windows.
# Expects: $work (files go there, each name after ${road_prefix}), $bin (the probes),
# $origin (X root x of desktop x 0) and kestrix_wine_env done; $hotkey_keys names the
# keys of the hotkey for xdotool (ctrl+alt+a unless set). Sets icon_x/icon_y,
# watch_file and watch_pid, and app_pid once start_kestrix has run.

wine() { "$KESTRIX_WINE" "$@"; }

# Screenshots of the whole root window in $work, and what they show.
shot() { import -window root -depth 8 "$work/$1.png"; }
pixel() {  # pixel SHOT X Y -> r,g,b (root coordinates)
    convert "$work/$1.png" -format "%[fx:int(255*p{$2,$3}.r+.5)],%[fx:int(255*p{$2,$3}.g+.5)],%[fx:int(255*p{$2,$3}.b+.5)]" info:
}
differing() {  # differing A B: pixels that differ between two pictures ("size" when they cannot be compared)
    local count
    count=$(compare -metric AE "$1" "$2" null: 2>&1 || true)
    if [[ "$count" =~ ^[0-9]+$ ]]; then echo "$count"; else echo "not comparable: $count"; fi
}
# Each channel of the unlit pixel times (255 - alpha) / 255, alpha = percent x 255 / 100, to +-2.
dimmed() {  # dimmed UNLIT DIMMED PERCENT -> yes / a reason
    local alpha=$(($3 * 255 / 100)) IFS=, i
    local -a want=($1) got=($2)
    for i in 0 1 2; do
        local expected=$((want[i] * (255 - alpha) / 255)) d
        d=$((got[i] - expected))
        [ "${d#-}" -le 2 ] || { echo "no ($2 from $1)"; return; }
    done
    echo yes
}
within() {  # within LOW HIGH VALUE -> "in range" or the value with the range
    if [ "$3" -ge "$1" ] 2>/dev/null && [ "$3" -le "$2" ]; then echo "in range"; else echo "$3 (outside $1..$2)"; fi
}
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
road_file() { echo "$work/${road_prefix:-}$1"; }

# Wine's notification area; the icon is found by its dark-theme green.
source "$(dirname "${BASH_SOURCE[0]}")/tray.sh"
icon_x= icon_y=
find_icon() { kestrix_find_tray_icon 63,197,99 "$(road_file tray.png)" 15; }
press_hotkey() {  # press_hotkey [KEYS]: the capture hotkey, or another
    # Wine delivers hotkeys only while one of its windows is under the pointer or focused.
    xdotool mousemove "$icon_x" "$icon_y"
    sleep 0.2
    xdotool key "${1:-${hotkey_keys:-ctrl+alt+a}}"
}

# Copies KESTRIX_EXE to $work/app with CONFIG as its kestrix.toml, starts it in
# $work/save (its output in $work/kestrix.out and .err) and waits for its icon.
start_kestrix() {  # start_kestrix KESTRIX_EXE CONFIG
    mkdir -p "$work/app" "$work/save"
    cp "$1" "$work/app/kestrix.exe"
    printf '%s\n' "$2" >"$work/app/kestrix.toml"
    (cd "$work/save" && exec "$KESTRIX_WINE" "$work/app/kestrix.exe" "$KESTRIX_QUIET_START") >"$work/kestrix.out" 2>"$work/kestrix.err" &
    app_pid=$!
    find_icon
}
drag() {  # drag X1 Y1 X2 Y2 (root coordinates, both ends inclusive)
    xdotool mousemove "$1" "$2" mousedown 1
    sleep 0.1
    xdotool mousemove $((($1 + $3) / 2)) $((($2 + $4) / 2))
    sleep 0.1
    xdotool mousemove "$3" "$4"
    sleep 0.15
    xdotool mouseup 1
    sleep 0.3
}

# The watcher reports the overlay, toast, pin, Save dialog, send panel and clipboard as they change.
watch_file= watch_pid=
watch() {  # watch NAME [road_watch options...]: starts watching, waits until it is ready
    watch_file=$(road_file "$1.watch")
    shift
    "$KESTRIX_WINE" "$bin/road_watch.exe" "$@" >"$watch_file" 2>/dev/null &
    watch_pid=$!
    for _ in $(seq 1 100); do grep -q ' ready' "$watch_file" 2>/dev/null && return 0; sleep 0.05; done
    echo "FAILED: the watcher did not start"
    return 1
}
watch_end() {  # waits for the watcher to finish by itself
    wait "$watch_pid" 2>/dev/null || true
    watch_pid=
    tr -d '\r' <"$watch_file" >"$watch_file.txt" && mv "$watch_file.txt" "$watch_file"
}
seen() { tr -d '\r' <"$watch_file" | grep -cE "^[0-9]+ $1" || true; }
await() {  # await EVENT [N] [SECONDS]: until the watcher has reported EVENT N times
    local i
    for i in $(seq 1 $((${3:-10} * 20))); do
        [ "$(seen "$1")" -ge "${2:-1}" ] && return 0
        sleep 0.05
    done
    echo "(no '$1' within ${3:-10} s)"
    return 1
}
event() { tr -d '\r' <"$watch_file" | sed -n "s/^[0-9]* $1 *//p" | sed -n "${2:-1}p"; }     # event EVENT [N]: what follows it
event_ms() { tr -d '\r' <"$watch_file" | sed -n "s/^\([0-9]*\) $1.*/\\1/p" | sed -n "${2:-1}p"; }
between() {  # between EVENT1 EVENT2: milliseconds from the first report of one to that of the other
    local a b
    a=$(event_ms "$1") b=$(event_ms "$2")
    if [ -n "$a" ] && [ -n "$b" ]; then echo $((b - a)); else echo "(missing '$1' or '$2')"; fi
}
toast_text() { event "toast shown" "$@" | sed 's/^[^ ]* [^ ]* text //'; }
toast_place() { event "toast shown" "$@" | cut -d' ' -f1,2; }

clipboard() {  # clipboard NAME: reads the clipboard into $work/NAME/, its report into $work/NAME.clip
    mkdir -p "$(road_file "$1")"
    wine "$bin/clipboard_read.exe" "$(winpath "$(road_file "$1")")" 2>/dev/null | tr -d '\r' >"$(road_file "$1.clip")"
}
clip() { sed -n "s/^$2: //p" "$(road_file "$1.clip")"; }  # clip NAME FIELD
mark_clipboard() { wine "$bin/clipboard_read.exe" --set-text "$1" >/dev/null 2>&1; }

texts() { wine "$bin/window_texts.exe" "$@" 2>/dev/null | tr -d '\r'; }
# Types a name into the Save dialog's name box, clicked first as a user would. The
# click may come before the dialog takes input, and a key may be lost on the way:
# types again until the box holds exactly NAME.
type_save_name() {  # type_save_name NAME
    local attempt held
    for attempt in 1 2 3 4; do
        click_control "$(texts "Save screenshot")" "Edit"
        xdotool key --clearmodifiers ctrl+a
        xdotool type --delay 20 "$1"
        sleep 0.3
        held=$(texts "Save screenshot" | grep '^  Edit|' | head -n1 | cut -d'|' -f2)
        [ "$held" = "$1" ] && return 0
        echo "(typing $attempt: the name box holds '$held')"
        sleep 0.5
    done
}
click_control() {  # click_control TEXTS 'Class|text': clicks the middle of a child that window_texts listed
    local left top right bottom
    read -r left top right bottom < <(grep -F "  $2|" <<<"$1" | head -n1 | awk -F'|' '{print $NF}' | tr ',' ' ') || true
    [ -n "$bottom" ] || { echo "(no '$2' to click)"; return 0; }
    xdotool mousemove $(((left + right) / 2 + origin)) $(((top + bottom) / 2)) click 1
    sleep 0.2
}
