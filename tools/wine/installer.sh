# Driving the installer's and uninstaller's windows from outside (sourced, not run),
# for tests/wine/package_e2e.sh and tools/installer-screenshots.sh.
# Expects: kestrix_wine_env done, $window_texts (the path of window_texts.exe) and
# $origin (the X root x of the Windows desktop's x 0).

# The texts (see window_texts.cpp) of the first top-level window whose title starts with
# TITLE: the installer's titles change from page to page ("Kestrix Setup", and with a
# blank after it on the finish page).
installer_texts() {  # installer_texts TITLE
    local title
    title=$("$KESTRIX_WINE" "$window_texts" --all 2>/dev/null | tr -d '\r' |
        awk -F'|' -v want="$1" 'index($2, want) == 1 {print $2; exit}')
    [ -n "$title" ] && "$KESTRIX_WINE" "$window_texts" "$title" 2>/dev/null | tr -d '\r'
}

# Waits until that window has a child with that text (a page's control) and prints the
# window's texts; fails after SECONDS (30 by default).
installer_page() {  # installer_page TITLE 'Class|text' [SECONDS]
    local texts
    for _ in $(seq 1 $((${3:-30} * 5))); do
        texts=$(installer_texts "$1" || true)
        grep -qF "  $2|" <<<"$texts" && { echo "$texts"; return 0; }
        sleep 0.2
    done
    return 1
}

# The middle of a child that TEXTS lists, as "x y" in X root coordinates.
installer_control() {  # installer_control TEXTS 'Class|text'
    local left top right bottom
    read -r left top right bottom < <(grep -F "  $2|" <<<"$1" | head -n1 | awk -F'|' '{print $NF}' | tr ',' ' ') || true
    [ -n "${bottom:-}" ] && echo "$(((left + right) / 2 + origin)) $(((top + bottom) / 2))"
}

installer_click() {  # installer_click TEXTS 'Class|text'
    local x y
    read -r x y < <(installer_control "$1" "$2") || return 1
    xdotool mousemove "$x" "$y" click 1
    sleep 0.3
}

# A key for the window that TEXTS lists: Wine's unmanaged windows take the keyboard
# while the pointer rests on them.
installer_key() {  # installer_key TEXTS KEY
    local left top _
    read -r left top _ < <(head -n1 <<<"$1" | awk -F'|' '{print $NF}' | tr ',' ' ')
    xdotool mousemove $((left + origin + 60)) $((top + 60))
    sleep 0.2
    xdotool key "$2"
}

# The window that TEXTS lists, as a PNG.
installer_shot() {  # installer_shot TEXTS FILE.png
    local left top right bottom
    read -r left top right bottom < <(head -n1 <<<"$1" | awk -F'|' '{print $NF}' | tr ',' ' ')
    sleep 0.5  # a page paints after it shows
    import -window root -crop "$((right - left))x$((bottom - top))+$((left + origin))+$top" +repage "$2" 2>/dev/null || true
}
