#!/usr/bin/env bash
# Screenshots of the Settings window in the given interface languages, taken from
# kestrix.exe under Wine on a private two-monitor display (the build's own prefix):
#   tools/settings-screenshots.sh en de fr ja ar
# The pictures land in build/windows/settings-screenshots/settings-LANG.png, each with
# the window's controls and their rectangles printed beside it on standard output.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
[ "$#" -gt 0 ] || { echo "usage: tools/settings-screenshots.sh LANG..." >&2; exit 2; }
source tools/wine/common.sh
source tools/wine/display.sh

jobs=${KESTRIX_JOBS:-2}
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$jobs" --target kestrix control_states catalogue_text post_broadcast window_texts
export KESTRIX_WINEPREFIX="$PWD/build/windows/wine-prefix"
kestrix_wine_env
cleanup() {
    kestrix_wine_stop
    kestrix_display_stop
}
kestrix_cleanup_on_exit cleanup
kestrix_wine_stop
kestrix_display_start two build/windows/display
bash tests/wine/settings_e2e.sh build/windows/kestrix.exe build/windows/tests/wine \
    build/windows/settings-screenshots --screenshots "$@"
