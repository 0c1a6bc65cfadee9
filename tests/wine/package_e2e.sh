#!/usr/bin/env bash
# End to end: the release files of tools/package.sh, and the installer under Wine in a
# prefix of its own (a copy of the ready one), as a user and a package manager use it:
# the digests, the zip, the winget manifests; a silent install (files, shortcut,
# Uninstall key, Run value, the installed program running with its icon); an upgrade
# from an older build while it runs, clicked through the installer's pages (the old
# copy quits, the new one starts, one host window); a silent reinstall keeping start
# at sign-in off; a silent uninstall while the program sits in its Settings window
# (everything gone but kestrix.toml) and one that removes the settings too.
#   package_e2e.sh BUILD_DIR BINDIR WORKDIR
# BUILD_DIR is the Windows build (kestrix.exe, CMakeCache.txt); BINDIR holds
# window_texts.exe, host_windows.exe and mutex_probe.exe. Uses $DISPLAY when it has
# the two-monitor layout, else starts its own. Screenshots of the pages stay in WORKDIR.
set -euo pipefail
build_dir=$(cd "$1" && pwd)
bin=$(cd "$2" && pwd)
work=$3
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source_dir="$(cd "$here/../.." && pwd)"
tools="$source_dir/tools/wine"
source "$tools/common.sh"
source "$tools/display.sh"
source "$tools/checks.sh"
source "$tools/tray.sh"
source "$tools/installer.sh"
kestrix_wine_env

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)
own_display=0
cleanup() {
    kestrix_wine_stop
    rm -rf "$work/prefix"
    release_own_display
}
kestrix_cleanup_on_exit cleanup

# --- the release files ---------------------------------------------------------------------
echo "-- the release files ($SECONDS s)"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build_dir/CMakeCache.txt")
release=$work/release
"$source_dir/tools/package.sh" --build-dir "$build_dir" --output "$release" 2>"$work/package.log" ||
    { cat "$work/package.log"; exit 1; }
setup=kestrix-setup-$version.exe
portable=kestrix-$version-portable.zip

listed() { awk '{print $2}' "$release/SHA256SUMS" | sort; }
present() { (cd "$release" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | sort); }
check "SHA256SUMS lists every release file" "$(present)" "$(listed)"
check "SHA256SUMS verifies" ok "$( (cd "$release" && sha256sum --quiet -c SHA256SUMS) >/dev/null 2>&1 && echo ok || echo failed)"
cp -r "$release" "$work/tampered"
printf 'x' >>"$work/tampered/$portable"
check "a changed file fails the digests" failed "$( (cd "$work/tampered" && sha256sum --quiet -c SHA256SUMS) >/dev/null 2>&1 && echo ok || echo failed)"

sections() { x86_64-w64-mingw32-objdump -h "$1" | awk '$2 ~ /^\.debug/ {n++} END {print n + 0}'; }
check "the build has debug sections" yes "$([ "$(sections "$build_dir/kestrix.exe")" -gt 0 ] && echo yes || echo no)"
check "the released executable has none" 0 "$(sections "$release/kestrix.exe")"
echo "sizes: built $(stat -c %s "$build_dir/kestrix.exe"), released $(stat -c %s "$release/kestrix.exe"), installer $(stat -c %s "$release/$setup"), zip $(stat -c %s "$release/$portable") bytes"

mkdir "$work/unzipped"
unzip -q "$release/$portable" -d "$work/unzipped"
check "the zip holds the executable and a README" "README.txt kestrix.exe" "$(ls "$work/unzipped" | tr '\n' ' ' | sed 's/ $//')"
check "the zipped executable is the released one" same "$(cmp -s "$work/unzipped/kestrix.exe" "$release/kestrix.exe" && echo same || echo different)"
check "the README has Windows line ends" 0 "$(grep -cv $'\r$' "$work/unzipped/README.txt" || true)"

check "the winget manifests validate" "" "$(python3 "$here/winget_manifest.py" "$release" "$version" 2>&1)"
sed -i '/^PackageLocale:/d' "$work/tampered/kestrix.winget.yaml"
check "the checker refuses a manifest without PackageLocale" "kestrix.winget.yaml: PackageLocale is required" \
    "$(python3 "$here/winget_manifest.py" "$work/tampered" "$version" 2>&1 | grep PackageLocale || true)"

# An older build: the same executable with its version text lowered, packaged by the same script.
older=$(python3 -c 'import sys, re; v = sys.argv[1]; i = re.search("[1-9]", v).start(); print(v[:i] + str(int(v[i]) - 1) + v[i+1:])' "$version")
mkdir "$work/older"
python3 - "$build_dir/kestrix.exe" "$work/older/kestrix.exe" "$version" "$older" <<'PY'
import sys
source, target, new, old = sys.argv[1:]
data = open(source, "rb").read()
count = 0
for encode in (lambda s: s.encode() + b"\0", lambda s: s.encode("utf-16-le") + b"\0\0"):
    count += data.count(encode(new))
    data = data.replace(encode(new), encode(old))
if count == 0:
    sys.exit("no version text to change")
open(target, "wb").write(data)
PY
"$source_dir/tools/package.sh" --build-dir "$build_dir" --output "$work/older-release" \
    --executable "$work/older/kestrix.exe" --version "$older" 2>>"$work/package.log" || { cat "$work/package.log"; exit 1; }

# --- a prefix of its own -------------------------------------------------------------------
echo "-- a prefix of its own ($SECONDS s)"

kestrix_use_two_monitor_display "$work"
origin=1280  # the X position of the Windows desktop's origin on that layout
window_texts=$bin/window_texts.exe
"$tools/setup-prefix"
kestrix_wine_stop
cp -a "$WINEPREFIX" "$work/prefix"
export WINEPREFIX=$work/prefix KESTRIX_WINEPREFIX=$work/prefix
# The shortcut stays in the prefix: no menu entries for the machine's own desktop.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe="
wine() { "$KESTRIX_WINE" "$@"; }
helper() { local name=$1; shift; wine "$bin/$name.exe" "$@" 2>/dev/null | tr -d '\r'; }
hosts() { helper host_windows; }
unix_path() { realpath -m "$(winepath -u "$1" 2>/dev/null)"; }

read -r local_appdata appdata < <(wine cmd /c 'echo %LOCALAPPDATA% %APPDATA%' 2>/dev/null | tr -d '\r')
install_dir="$local_appdata\\Programs\\Kestrix"
installed=$(unix_path "$install_dir")/kestrix.exe
user_config=$(unix_path "$appdata\\Kestrix")/kestrix.toml
shortcut=$(unix_path "$appdata\\Microsoft\\Windows\\Start Menu\\Programs")/Kestrix.lnk
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrix'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

reg_value() {  # reg_value KEY NAME: the data, or nothing when there is no such value
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
run_value() { reg_value "$run_key" Kestrix; }
version_of() { wine "$installed" --version 2>/dev/null | tr -d '\r' | sed 's/^\xEF\xBB\xBF//'; }
# Everything of Kestrix's under the user's profile and the Start menu.
leftovers() { (cd "$WINEPREFIX/drive_c/users" && find . -ipath '*kestrix*' | sort); }
start_installed() {  # starts the installed copy and waits for its tray icon
    wine "$installed" >/dev/null 2>&1 &
    kestrix_find_tray_icon 63,197,99 "$work/tray.png" 20 && echo shown || echo missing
}
installed_values() {  # the Uninstall key's values as NAME=DATA lines
    for name in DisplayName DisplayVersion Publisher DisplayIcon InstallLocation UninstallString \
        QuietUninstallString NoModify NoRepair; do
        echo "$name=$(reg_value "$uninstall_key" "$name")"
    done
}
expected_values() {  # expected_values VERSION
    printf '%s\n' DisplayName=Kestrix "DisplayVersion=$1" Publisher=Kestrix "DisplayIcon=$install_dir\\kestrix.exe" \
        "InstallLocation=$install_dir" "UninstallString=\"$install_dir\\uninstall.exe\"" \
        "QuietUninstallString=\"$install_dir\\uninstall.exe\" /S" NoModify=0x1 NoRepair=0x1
}
kept_config() {  # what leftovers lists when only the user's settings file is left
    local rel=${user_config#"$WINEPREFIX/drive_c/users/"}
    printf './%s\n' "$(dirname "$rel")" "$rel"
}
wait_until_uninstalled() {  # the uninstaller hands over to a copy of itself and returns at once
    for _ in $(seq 1 300); do
        [ -e "$(dirname "$installed")" ] || return 0
        sleep 0.1
    done
}

# The ready prefix may keep what earlier tests left (settings, their folder, saved
# pictures): this one starts with no Kestrix at all.
(cd "$WINEPREFIX/drive_c/users" && find . -depth -ipath '*kestrix*' -exec rm -rf {} +)
for value in "$run_key /v Kestrix" "HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run /v Kestrix" \
    "$uninstall_key"; do
    # shellcheck disable=SC2086
    wine reg delete $value /f >/dev/null 2>&1 || true
done
check "the prefix starts without Kestrix" "" "$(leftovers)"

# --- a silent install of the older build ---------------------------------------------------
echo "-- a silent install of the older build ($SECONDS s)"

code=0; wine "$work/older-release/kestrix-setup-$older.exe" /S >/dev/null 2>&1 || code=$?
check "the silent install exits with 0" 0 "$code"
check "the installed executable is the released one" same \
    "$(cmp -s "$installed" "$work/older-release/kestrix.exe" && echo same || echo different)"
check "the uninstaller is beside it" yes "$([ -f "$(dirname "$installed")/uninstall.exe" ] && echo yes || echo no)"
check "the Start menu shortcut starts it" yes \
    "$(strings -a "$shortcut" 2>/dev/null | grep -qFx "$install_dir\\kestrix.exe" && echo yes || echo no)"
check "the Uninstall key has its values" "$(expected_values "$older")" "$(installed_values)"
size_kb=$(( ($(stat -c %s "$installed") + $(stat -c %s "$(dirname "$installed")/uninstall.exe")) / 1024 ))
estimated=$(( $(reg_value "$uninstall_key" EstimatedSize) ))
check "EstimatedSize is the folder's size in KB" yes "$([ "$estimated" -ge $((size_kb - 8)) ] && [ "$estimated" -le $((size_kb + 8)) ] && echo yes || echo "no ($estimated for $size_kb)")"
check "start at sign-in is on: the Run value names the installed copy" "\"$install_dir\\kestrix.exe\" --at-login" "$(run_value)"
check "--version prints the installed version" "Kestrix $older (windows-gdi)" "$(version_of)"
check "the installed copy starts and shows its icon" shown "$(start_installed)"
old_host=$(hosts | sed -n 's/^host //p')

# --- the upgrade, clicked through while the older copy runs --------------------------------
echo "-- the upgrade, clicked through while the older copy runs ($SECONDS s)"

wine "$release/$setup" >/dev/null 2>&1 &
setup_pid=$!
options=$(installer_page "Kestrix Setup" 'Button|Start Kestrix when I sign in') || options=
echo "$options" >"$work/options-page.txt"
check "the options page offers start at sign-in" yes \
    "$(grep -qF 'Button|Start Kestrix when I sign in|' <<<"$options" && echo yes || echo no)"
check "the options page names the folder" yes "$(grep -qF "Edit|$install_dir|" <<<"$options" && echo yes || echo no)"
installer_shot "$options" "$work/installer-options.png"
installer_key "$options" Return
finish=$(installer_page "Kestrix Setup" 'Button|&Run Kestrix') || finish=
check "the finish page offers to start Kestrix" yes "$(grep -qF 'Button|&Run Kestrix|' <<<"$finish" && echo yes || echo no)"
check "the older copy has quit before the finish page" "" "$(hosts | grep -Fx "host $old_host" || true)"
installer_shot "$finish" "$work/installer-finish.png"
installer_key "$finish" Return
wait_for_exit "$setup_pid" 30
check "the installer ends with 0" 0 "$exit_status"
for _ in $(seq 1 100); do hosts | grep -q '^hosts 1$' && break; sleep 0.2; done
check "the new copy runs: one host window" "hosts 1" "$(hosts | tail -n1)"
check "the new copy is another process" different "$( [ "$(hosts | sed -n 's/^host //p')" != "$old_host" ] && echo different || echo same)"
check "--version prints the new version" "Kestrix $version (windows-gdi)" "$(version_of)"
check "the Uninstall key names the new version" "$(expected_values "$version")" "$(installed_values)"
check "the installed executable is the new one" same "$(cmp -s "$installed" "$release/kestrix.exe" && echo same || echo different)"
check "start at sign-in stays on" "\"$install_dir\\kestrix.exe\" --at-login" "$(run_value)"

# --- a silent reinstall keeps start at sign-in off and starts nothing ----------------------
echo "-- a silent reinstall keeps start at sign-in off and starts nothing ($SECONDS s)"

wine reg delete "$run_key" /v Kestrix /f >/dev/null 2>&1  # as unticking it in Settings does
code=0; wine "$release/$setup" /S >/dev/null 2>&1 || code=$?
check "the silent reinstall exits with 0" 0 "$code"
check "the running copy was ended, and a silent install starts none" "hosts 0" "$(hosts | tail -n1)"
check "start at sign-in stays off" "" "$(run_value)"

# --- a silent uninstall while Settings is open ---------------------------------------------
echo "-- a silent uninstall while Settings is open ($SECONDS s)"

check "the copy starts again" shown "$(start_installed)"
wine "$installed" >/dev/null 2>&1  # a second start opens Settings in the running copy
settings=$(installer_page "Kestrix Settings" 'Button|Done' 20) || settings=
check "Settings is open" yes "$([ -n "$settings" ] && echo yes || echo no)"
mkdir -p "$(dirname "$user_config")"
printf 'hotkey = "Ctrl+Shift+F9"\n' >"$user_config"
touch "$installed.old" "$installed.old.7"
# Start at sign-in of another copy (a portable one) is not ours to remove.
wine reg add "$run_key" /v Kestrix /t REG_SZ /d '"C:\portable\kestrix.exe"' /f >/dev/null 2>&1
code=0; wine "$(dirname "$installed")/uninstall.exe" /S >/dev/null 2>&1 || code=$?
check "the silent uninstall exits with 0" 0 "$code"
wait_until_uninstalled
check "the running copy was ended" "hosts 0" "$(hosts | tail -n1)"
check "its single-instance mutex is gone" 0 "$(helper mutex_probe absent 5 >/dev/null && echo 0 || echo 1)"
check "nothing is left but kestrix.toml" "$(kept_config)" "$(leftovers)"
check "kestrix.toml is kept as it was" 'hotkey = "Ctrl+Shift+F9"' "$(cat "$user_config" 2>/dev/null)"
check "the Uninstall key is gone" gone "$(wine reg query "$uninstall_key" >/dev/null 2>&1 && echo there || echo gone)"
check "another copy's Run value stays" '"C:\portable\kestrix.exe"' "$(run_value)"
wine reg delete "$run_key" /v Kestrix /f >/dev/null 2>&1

# --- an uninstall that removes the settings too --------------------------------------------
echo "-- an uninstall that removes the settings too ($SECONDS s)"

wine "$release/$setup" /S >/dev/null 2>&1 || true
check "a fresh install turns start at sign-in on" "\"$install_dir\\kestrix.exe\" --at-login" "$(run_value)"
wine "$(dirname "$installed")/uninstall.exe" >/dev/null 2>&1 &
confirm=$(installer_page "Kestrix Uninstall" 'Button|Also remove my settings') || confirm=
installer_shot "$confirm" "$work/uninstaller-confirm.png"
installer_click "$confirm" 'Button|Also remove my settings' || echo "(no settings box to tick)"
installer_key "$confirm" Return
wait_until_uninstalled
for _ in $(seq 1 50); do [ -e "$user_config" ] || break; sleep 0.1; done
check "ticked, the settings go too: nothing of Kestrix is left" "" "$(leftovers)"
installer_key "$confirm" Return  # closes the uninstaller's last page
check "its own Run value is removed" "" "$(run_value)"

checks_summary package_e2e
