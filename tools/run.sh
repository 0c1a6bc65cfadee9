#!/usr/bin/env bash
# Builds the Windows executable (with its cross-built dependencies) and runs it
# under Wine: on $DISPLAY when that X display answers, otherwise on a private
# virtual display that is stopped again when Kestrix exits.
#   tools/run.sh [arguments for kestrix.exe...]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source tools/wine/common.sh
source tools/wine/display.sh

jobs=${KESTRIX_JOBS:-$(nproc)}

tools/install-packages.sh
tools/build-mingw-deps.sh
cmake --preset windows >/dev/null
if ! cmake --build --preset windows --target help | grep -q '^kestrix: '; then
    echo "run.sh: this checkout has no kestrix executable target yet; nothing to run" >&2
    exit 1
fi
cmake --build --preset windows -j"$jobs" --target kestrix
exe=build/windows/kestrix.exe
[ -f "$exe" ] || exe=$(find build/windows -name kestrix.exe -print -quit)
[ -n "$exe" ] || { echo "run.sh: kestrix.exe was not found under build/windows" >&2; exit 1; }

# Its own prefix, so that running it never shares a wineserver with a test run.
export KESTRIX_WINEPREFIX="$PWD/build/windows/wine-prefix-run"
kestrix_wine_env

cleanup() {
    kestrix_wine_stop
    kestrix_display_stop
}
kestrix_cleanup_on_exit cleanup

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "[run] on display $DISPLAY" >&2
else
    kestrix_display_start one build/windows/display
    echo "[run] no X display here: running on the private display $DISPLAY" \
        "(screenshot: DISPLAY=$DISPLAY import -window root shot.png)" >&2
fi
tools/wine/setup-prefix
status=0
"$KESTRIX_WINE" "$exe" "$@" || status=$?
# A tray program returns at once when another copy already runs; keep the
# display up until every Wine process of this prefix has ended.
"$KESTRIX_WINESERVER" -w || true
exit "$status"
