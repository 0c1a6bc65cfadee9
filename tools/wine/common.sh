# Shared by the Wine harness scripts (sourced, not run).
# Picks the project's private WINEPREFIX and the environment Wine runs in.

KESTRIX_WINE_TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
KESTRIX_SOURCE_DIR=$(cd "$KESTRIX_WINE_TOOLS/../.." && pwd)

# kestrix.exe's argument for a start as the Run key makes it at login. A start by the
# user says once, in the notification icon's balloon, that Kestrix is running; under
# Wine the balloon covers the icon's menu for 10 s. Scripts that drive the tray start
# Kestrix quietly this way; the tray test checks the balloon itself.
KESTRIX_QUIET_START=--at-login

# The build directory the caller works in: the nearest parent of the current
# directory holding a CMakeCache.txt (CTest runs tests inside the build tree).
kestrix_find_build_dir() {
    local dir=$PWD
    while [ "$dir" != / ]; do
        if [ -f "$dir/CMakeCache.txt" ]; then
            echo "$dir"
            return 0
        fi
        dir=$(dirname "$dir")
    done
    return 1
}

# Each build tree gets its own prefix so that builds running side by side never
# share a wineserver; outside a build tree a per-user prefix is used.
kestrix_default_wineprefix() {
    local build
    if build=$(kestrix_find_build_dir); then
        echo "$build/wine-prefix"
    else
        echo "$HOME/.cache/kestrix/wineprefix"
    fi
}

kestrix_wine_env() {
    export WINEPREFIX=${KESTRIX_WINEPREFIX:-$(kestrix_default_wineprefix)}
    export KESTRIX_WINEPREFIX=$WINEPREFIX
    export WINEARCH=win64
    # Quiet debug channels, and no Mono or Gecko installation prompts.
    export WINEDEBUG=${KESTRIX_WINEDEBUG:--all}
    export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
    # 64-bit only: call the loader directly (the wrapper script nags about wine32).
    if [ -x /usr/lib/wine/wine64 ]; then
        KESTRIX_WINE=/usr/lib/wine/wine64
        export WINELOADER=/usr/lib/wine/wine64
    else
        KESTRIX_WINE=wine
    fi
    if [ -x /usr/lib/wine/wineserver64 ]; then
        KESTRIX_WINESERVER=/usr/lib/wine/wineserver64
    else
        KESTRIX_WINESERVER=wineserver
    fi
    export WINESERVER=$KESTRIX_WINESERVER
}

# Ends the prefix's wineserver and every Wine process attached to it.
kestrix_wine_stop() {
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        "$KESTRIX_WINESERVER" -k 2>/dev/null || true
        "$KESTRIX_WINESERVER" -w 2>/dev/null || true
    fi
}

# Sets the prefix's LogPixels, the DPI Wine reports for every monitor (144: 150 %,
# 192: 200 %), and stops its wineserver so that the next one reads it.
kestrix_set_logpixels() {  # kestrix_set_logpixels DPI
    "$KESTRIX_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    kestrix_wine_stop
}

# A copy of a ready prefix for a test of its own (LogPixels, say): the DLLs shared by
# hard links, the registry files copied, since Wine rewrites those.
kestrix_copy_prefix() {  # kestrix_copy_prefix FROM TO
    rm -rf "$2"
    cp -al "$1" "$2"
    local reg
    for reg in "$2"/*.reg; do cp --remove-destination "$1/$(basename "$reg")" "$reg"; done
}
