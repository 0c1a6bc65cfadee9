# Wine's notification area as the end-to-end scripts see it (sourced, not run).

# The X window of Wine's notification area, empty while it shows no icon.
kestrix_tray_window() { xdotool search --onlyvisible --name '^Wine System Tray$' 2>/dev/null | head -n1 || true; }

# Finds an icon in it by the pixels of one colour: sets icon_x and icon_y (root
# coordinates of its middle) and icon_box ("x y width height" with a margin of 3).
# Fails when no such pixel shows within SECONDS (10 by default).
kestrix_find_tray_icon() {  # kestrix_find_tray_icon R,G,B SCRATCH.png [SECONDS]
    local tray tx ty box x0 y0 x1 y1
    for _ in $(seq 1 $((${3:-10} * 10))); do
        tray=$(kestrix_tray_window)
        if [ -n "$tray" ]; then
            read -r tx ty < <(xwininfo -id "$tray" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}')
            import -window "$tray" -depth 8 "$2" 2>/dev/null || true
            box=$(convert "$2" txt:- 2>/dev/null | grep -F "($1)" |
                awk -F'[,:]' '{x=$1; y=$2; if (n++ == 0) {x0=x1=x; y0=y1=y}
                    if (x<x0) x0=x; if (x>x1) x1=x; if (y<y0) y0=y; if (y>y1) y1=y}
                    END {if (n) print x0, y0, x1, y1}' || true)
            if [ -n "$box" ]; then
                read -r x0 y0 x1 y1 <<<"$box"
                icon_x=$((tx + (x0 + x1) / 2)) icon_y=$((ty + (y0 + y1) / 2))
                icon_box="$((tx + x0 - 3)) $((ty + y0 - 3)) $((x1 - x0 + 7)) $((y1 - y0 + 7))"
                return 0
            fi
        fi
        sleep 0.1
    done
    return 1
}

# The tray menu's command identifiers, as host_probe reports its items ("item N ID X Y LABEL").
menu_capture_region=0x1001 menu_capture_and_save_as=0x1002 menu_about=0x1003 menu_exit=0x1004
menu_settings=0x1005 menu_updates=0x1006 menu_capture_last_region=0x1007 menu_capture_screen=0x1008
# "X Y" of the item with that identifier in a host_probe report, from the first menu reported.
kestrix_menu_item() {  # kestrix_menu_item REPORT ID
    tr -d '\r' <"$1" | awk -v id="$2" '$1 == "item" && $3 == id {print $4, $5; exit}'
}
# The label of that item.
kestrix_menu_label() {  # kestrix_menu_label REPORT ID
    tr -d '\r' <"$1" | awk -v id="$2" '$1 == "item" && $3 == id {$1 = $2 = $3 = $4 = $5 = ""; sub(/^ */, ""); print; exit}'
}
