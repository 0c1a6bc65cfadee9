#!/usr/bin/env bash
# Screenshots of the installer's and uninstaller's pages in the given languages, under
# Wine on a private display, in a throwaway copy of the build's prefix:
#   tools/installer-screenshots.sh [LANG ...]      # default: en de
# LANG is one of the program's language tags (en, de, ja, zh-Hans, ar, ...): the installer
# follows the system's language, which Wine takes from LC_ALL. The pictures land in
# build/release/screenshots/{options,finish,uninstall}-LANG.png. Builds the package
# first when build/release has none (tools/package.sh).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source tools/wine/common.sh
source tools/wine/display.sh
source tools/wine/installer.sh
[ "$#" -gt 0 ] || set -- en de

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' build/windows/CMakeCache.txt 2>/dev/null || true)
setup=build/release/kestrix-setup-$version.exe
if [ -z "$version" ] || [ ! -f "$setup" ]; then
    cmake --preset windows >/dev/null
    cmake --build --preset windows -j"${KESTRIX_JOBS:-2}" --target kestrix window_texts
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' build/windows/CMakeCache.txt)
    setup=build/release/kestrix-setup-$version.exe
    tools/package.sh
fi
window_texts=$PWD/build/windows/tests/wine/window_texts.exe
[ -f "$window_texts" ] || cmake --build --preset windows --target window_texts
out=$PWD/build/release/screenshots
scratch=$PWD/build/release/screenshots-prefix
mkdir -p "$out"

export KESTRIX_WINEPREFIX=$PWD/build/windows/wine-prefix
kestrix_wine_env
cleanup() {
    kestrix_wine_stop
    kestrix_display_stop
    rm -rf "$scratch"
}
kestrix_cleanup_on_exit cleanup
tools/wine/setup-prefix
kestrix_wine_stop
rm -rf "$scratch"
cp -a "$WINEPREFIX" "$scratch"
export WINEPREFIX=$scratch KESTRIX_WINEPREFIX=$scratch
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe="
# The pages as a first install shows them, whatever earlier tests left in the prefix.
for key in 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrix' \
    'HKCU\Software\Microsoft\Windows\CurrentVersion\Run /v Kestrix'; do
    # shellcheck disable=SC2086
    "$KESTRIX_WINE" reg delete $key /f >/dev/null 2>&1 || true
done
kestrix_display_start 1280x800 "$out/display"
origin=0

# The POSIX locale Wine reads the system's language from, for each program language.
locale_of() {
    case "$1" in
        en) echo en_US.UTF-8 ;; zh-Hans) echo zh_CN.UTF-8 ;; zh-Hant) echo zh_TW.UTF-8 ;;
        ja) echo ja_JP.UTF-8 ;; ko) echo ko_KR.UTF-8 ;; es) echo es_ES.UTF-8 ;; fr) echo fr_FR.UTF-8 ;;
        de) echo de_DE.UTF-8 ;; pt) echo pt_BR.UTF-8 ;; ru) echo ru_RU.UTF-8 ;; it) echo it_IT.UTF-8 ;;
        nl) echo nl_NL.UTF-8 ;; pl) echo pl_PL.UTF-8 ;; tr) echo tr_TR.UTF-8 ;; vi) echo vi_VN.UTF-8 ;;
        th) echo th_TH.UTF-8 ;; id) echo id_ID.UTF-8 ;; hi) echo hi_IN.UTF-8 ;; ar) echo ar_EG.UTF-8 ;;
        *) return 1 ;;
    esac
}

# The pages are told apart by the program's own texts in that language (the options
# page's box, the uninstaller's box) and, for the finish page, by what the pages before
# it have (that box, the progress bar). Window titles differ per language: take the first
# dialog window there is.
catalogue_text=$PWD/build/windows/tests/wine/catalogue_text.exe
[ -f "$catalogue_text" ] || cmake --build --preset windows --target catalogue_text
page_with() {  # page_with [-E] HAS [LACKS...]: waits for the dialog whose texts have HAS (a
    # fixed text, or with -E an extended regular expression) and none of LACKS
    local title texts lacks match=-F
    [ "$1" != -E ] || { match=-E; shift; }
    for _ in $(seq 1 150); do
        title=$("$KESTRIX_WINE" "$window_texts" --all 2>/dev/null | tr -d '\r' | sed -n 's/^#32770|\(.*\)|[-0-9,]*$/\1/p' | head -n1)
        if [ -n "$title" ]; then
            texts=$("$KESTRIX_WINE" "$window_texts" "$title" 2>/dev/null | tr -d '\r')
            if grep -q "$match" -- "$1" <<<"$texts"; then
                lacks=0
                for absent in "${@:2}"; do grep -qF -- "$absent" <<<"$texts" && lacks=1; done
                [ "$lacks" = 1 ] || { echo "$texts"; return 0; }
            fi
        fi
        sleep 0.2
    done
    echo "installer-screenshots: no page with '$1'" >&2
    return 1
}

for lang in "$@"; do
    locale=$(locale_of "$lang") || { echo "installer-screenshots: unknown language $lang" >&2; exit 2; }
    kestrix_wine_stop
    env LC_ALL="$locale" LANG="$locale" "$KESTRIX_WINE" "$setup" >/dev/null 2>&1 &
    setup_pid=$!
    start_text=$("$KESTRIX_WINE" "$catalogue_text" "$lang" 2>/dev/null | tr -d '\r' | sed -n 's/^setup_start_at_sign_in=//p')
    remove_text=$("$KESTRIX_WINE" "$catalogue_text" "$lang" 2>/dev/null | tr -d '\r' | sed -n 's/^setup_remove_settings=//p')
    page=$(page_with "Button|$start_text|")
    installer_shot "$page" "$out/options-$lang.png"
    installer_key "$page" Return
    page=$(page_with -E "^  Button\|[^|]*Kestrix" "Button|$start_text|" "msctls_progress32|")  # the finish page's Run box
    installer_shot "$page" "$out/finish-$lang.png"
    installer_key "$page" Return
    wait "$setup_pid"
    uninstaller=$(winepath -u "$("$KESTRIX_WINE" cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')\\Programs\\Kestrix\\uninstall.exe")
    env LC_ALL="$locale" LANG="$locale" "$KESTRIX_WINE" "$uninstaller" >/dev/null 2>&1 &
    page=$(page_with "Button|$remove_text|")
    installer_shot "$page" "$out/uninstall-$lang.png"
    kestrix_wine_stop
    echo "$lang: $out/options-$lang.png, finish-$lang.png, uninstall-$lang.png"
done
