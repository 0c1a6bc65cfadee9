#!/usr/bin/env bash
# Screenshots of the Settings window in the given interface languages, taken from
# kestrix.exe under Wine on a private two-monitor display (the build's own prefix):
#   tools/settings-screenshots.sh en de fr ja ar
#   KESTRIX_SCREENSHOT_DPI=192 tools/settings-screenshots.sh en de ja   # at 200 %, a prefix of its own
# The pictures land in build/windows/settings-screenshots/settings-LANG.png (or
# settings-screenshots-DPI/), each with the window's controls and their rectangles
# printed beside it on standard output.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
[ "$#" -gt 0 ] || { echo "usage: tools/settings-screenshots.sh LANG..." >&2; exit 2; }
source tools/wine/common.sh
source tools/wine/display.sh

jobs=${KESTRIX_JOBS:-2}
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$jobs" --target kestrix control_states catalogue_text post_broadcast window_texts
dpi=${KESTRIX_SCREENSHOT_DPI:-96}
suffix=
[ "$dpi" = 96 ] || suffix="-$dpi"
export KESTRIX_WINEPREFIX="$PWD/build/windows/wine-prefix$suffix"
kestrix_wine_env
cleanup() {
    kestrix_wine_stop
    kestrix_display_stop
}
kestrix_cleanup_on_exit cleanup
kestrix_wine_stop
kestrix_display_start two build/windows/display
if [ "$dpi" != 96 ]; then
    tools/wine/setup-prefix
    kestrix_set_logpixels "$dpi"
fi
bash tests/wine/settings_e2e.sh build/windows/kestrix.exe build/windows/tests/wine \
    build/windows/settings-screenshots$suffix --screenshots "$@"
