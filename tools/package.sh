#!/usr/bin/env bash
# Makes the release files from a Windows build (cmake --preset windows && cmake --build
# --preset windows), into build/release/:
#   kestrix.exe                    the executable without its debug sections; the update
#                                  feed publishes this one too (see the README)
#   kestrix-setup-VERSION.exe      the per-user installer (tools/package/kestrix.nsi)
#   kestrix-VERSION-portable.zip   the executable and README.txt
#   kestrix.winget.yaml            a winget manifest (singleton) naming the installer
#   winget/                        the same as the multi-file manifest that the community
#                                  repository takes
#   SHA256SUMS                     the SHA-256 digests of all of them
#
#   tools/package.sh [--build-dir DIR] [--output DIR] [--download-url URL]
#                    [--executable FILE --version X.Y.Z]
# --executable packages another build of kestrix.exe under the given version.
# Needs makensis (Debian's nsis), zip, sha256sum and a C++ compiler for the build
# machine (the installer's texts come from the program's message catalogue).
set -euo pipefail
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$source_dir"

build_dir=build/windows
output=build/release
download_url=${KESTRIX_DOWNLOAD_URL:-https://kestrix.app/download}
executable=
version=
usage() { sed -n '2,/^set -euo/p' "${BASH_SOURCE[0]}" | sed '$d; s/^# \{0,1\}//' >&2; exit 2; }
while [ $# -gt 0 ]; do
    case "$1" in
        --build-dir) build_dir=${2:?}; shift 2 ;;
        --output) output=${2:?}; shift 2 ;;
        --download-url) download_url=${2:?}; shift 2 ;;
        --executable) executable=${2:?}; shift 2 ;;
        --version) version=${2:?}; shift 2 ;;
        *) usage ;;
    esac
done
fail() { echo "package: $*" >&2; exit 1; }

cache=$build_dir/CMakeCache.txt
[ -f "$cache" ] || fail "$build_dir is not a build directory; run cmake --preset windows first"
cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$cache" | head -n1; }
if [ -z "$executable" ]; then
    executable=$build_dir/kestrix.exe
    [ -z "$version" ] || fail "--version goes with --executable"
    version=$(cache_value CMAKE_PROJECT_VERSION)
fi
[ -f "$executable" ] || fail "no $executable; build it first (cmake --build --preset windows)"
[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "the version '$version' is not MAJOR.MINOR.PATCH"
for tool in makensis zip sha256sum; do
    command -v "$tool" >/dev/null || fail "$tool is missing (tools/install-packages.sh installs it)"
done
strip=$(cache_value CMAKE_STRIP)
[ -x "$strip" ] || strip=x86_64-w64-mingw32-strip

# The installer's texts: a small program for this machine, built from the catalogue.
host_tools=$build_dir/package-tools
cmake -S tools/package -B "$host_tools" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$host_tools" >/dev/null
mkdir -p "$output"
output=$(cd "$output" && pwd)
stage=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-package.XXXXXX")
trap 'rm -rf "$stage"' EXIT
"$host_tools/installer_text" "$stage/installer_text.nsh"

setup=kestrix-setup-$version.exe
portable=kestrix-$version-portable.zip
rm -rf "$output/kestrix.exe" "$output"/kestrix-setup-*.exe "$output"/kestrix-*-portable.zip \
    "$output/kestrix.winget.yaml" "$output/winget" "$output/SHA256SUMS"

"$strip" -o "$output/kestrix.exe" "$executable"

makensis -V2 -WX -DVERSION="$version" -DEXECUTABLE="$output/kestrix.exe" -DTEXTS="$stage/installer_text.nsh" \
    -DOUTFILE="$output/$setup" tools/package/kestrix.nsi >"$stage/makensis.log" 2>&1 ||
    { cat "$stage/makensis.log" >&2; fail "makensis failed"; }

# The portable copy: the executable and a README with Windows line ends, no folder.
mkdir "$stage/portable"
cp "$output/kestrix.exe" "$stage/portable/kestrix.exe"
sed 's/$/\r/' tools/package/README-portable.txt >"$stage/portable/README.txt"
(cd "$stage/portable" && zip -q -X -9 "$output/$portable" kestrix.exe README.txt)

# The winget manifests: one file for `winget install --manifest`, three for the repository.
installer_sha=$(sha256sum "$output/$setup" | cut -d' ' -f1 | tr a-f A-F)
exe_sha=$(sha256sum "$output/kestrix.exe" | cut -d' ' -f1 | tr a-f A-F)
manifest_version=1.12.0
identifier=Kestrix.Kestrix
locale_fields() {
    cat <<YAML
PackageLocale: en-US
Publisher: Kestrix
PublisherUrl: https://kestrix.app/
PackageName: Kestrix
PackageUrl: https://kestrix.app/
License: ${KESTRIX_LICENSE:-Proprietary}
ShortDescription: Capture a region of the screen, mark it up, and copy, save, pin or send it.
Description: Kestrix lives in the notification area. One shortcut freezes the desktop; drag out a region or pick a window or monitor, mark it up, and copy it to the clipboard, save it as PNG, pin it to the screen or hand it to a phone on the same network.
Moniker: kestrix
Tags:
- screenshot
- screen-capture
- annotation
YAML
}
installer_fields() {
    cat <<YAML
MinimumOSVersion: 10.0.0.0
InstallerType: nullsoft
Scope: user
InstallModes:
- interactive
- silent
- silentWithProgress
InstallerSwitches:
  Silent: /S
  SilentWithProgress: /S
UpgradeBehavior: install
ElevationRequirement: elevationProhibited
ProductCode: Kestrix
AppsAndFeaturesEntries:
- DisplayName: Kestrix
  Publisher: Kestrix
  DisplayVersion: $version
  ProductCode: Kestrix
InstallationMetadata:
  DefaultInstallLocation: '%LocalAppData%\\Programs\\Kestrix'
  Files:
  - RelativeFilePath: kestrix.exe
    FileSha256: $exe_sha
    FileType: launch
Installers:
- Architecture: x64
  InstallerUrl: $download_url/$setup
  InstallerSha256: $installer_sha
YAML
}
{
    echo "# yaml-language-server: \$schema=https://aka.ms/winget-manifest.singleton.$manifest_version.schema.json"
    echo "PackageIdentifier: $identifier"
    echo "PackageVersion: $version"
    locale_fields
    installer_fields
    echo "ManifestType: singleton"
    echo "ManifestVersion: $manifest_version"
} >"$output/kestrix.winget.yaml"
mkdir "$output/winget"
{
    echo "# yaml-language-server: \$schema=https://aka.ms/winget-manifest.version.$manifest_version.schema.json"
    echo "PackageIdentifier: $identifier"
    echo "PackageVersion: $version"
    echo "DefaultLocale: en-US"
    echo "ManifestType: version"
    echo "ManifestVersion: $manifest_version"
} >"$output/winget/$identifier.yaml"
{
    echo "# yaml-language-server: \$schema=https://aka.ms/winget-manifest.defaultLocale.$manifest_version.schema.json"
    echo "PackageIdentifier: $identifier"
    echo "PackageVersion: $version"
    locale_fields
    echo "ManifestType: defaultLocale"
    echo "ManifestVersion: $manifest_version"
} >"$output/winget/$identifier.locale.en-US.yaml"
{
    echo "# yaml-language-server: \$schema=https://aka.ms/winget-manifest.installer.$manifest_version.schema.json"
    echo "PackageIdentifier: $identifier"
    echo "PackageVersion: $version"
    installer_fields
    echo "ManifestType: installer"
    echo "ManifestVersion: $manifest_version"
} >"$output/winget/$identifier.installer.yaml"

(cd "$output" && sha256sum kestrix.exe "$setup" "$portable" kestrix.winget.yaml winget/*.yaml >SHA256SUMS)

echo "package: Kestrix $version in $output" >&2
(cd "$output" && ls -l kestrix.exe "$setup" "$portable" | awk '{printf "  %10d  %s\n", $5, $NF}' >&2)
