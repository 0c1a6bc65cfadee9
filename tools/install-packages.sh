#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need, only those missing;
# the package lists are refreshed only when an install cannot proceed without.
#   tools/install-packages.sh               # builds and tests
#   tools/install-packages.sh screenshots   # those, and the fonts tools/wine/screenshots.sh uses
set -euo pipefail

packages=(
    # native build and unit tests
    cmake ninja-build g++ pkg-config googletest libgtest-dev
    libpng-dev libqrencode-dev libsodium-dev zlib1g-dev
    # fuzz targets: clang with libFuzzer and the sanitizer runtimes
    clang libclang-rt-14-dev
    # Windows cross build and the cross-built dependencies
    g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev libz-mingw-w64-dev
    autoconf automake libtool dpkg-dev
    # running the Windows build: Wine, its fonts, private X servers and X tools
    wine wine64 fonts-wine fonts-liberation fonts-noto-core
    xvfb xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils x11-utils
    xdotool imagemagick xclip
    # the first-frame benchmark's watcher presses keys through XTest
    libx11-dev libxtst-dev
    # send to a device: the QR decoder, HTTP clients, network namespaces
    zbar-tools curl chromium iproute2
    # the updates end-to-end test: a local HTTPS feed in a private network namespace
    openssl ca-certificates python3
    # the release files: the installer (NSIS), the portable zip, the winget manifests' checker
    nsis zip unzip python3-yaml
)
if [ "${1:-}" = screenshots ]; then
    # One family per script that has Latin letters too, for Wine's GDI+ text,
    # which falls back on no other font.
    packages+=(fonts-noto-cjk fonts-dejavu-core fonts-tlwg-loma-ttf fonts-freefont-ttf)
    # An image viewer, to see that a capture's PNG (with its pHYs chunk) shows pixel for pixel.
    packages+=(feh)
fi

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "[packages] all present" >&2
    exit 0
fi

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

echo "[packages] installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
log=$(mktemp "${TMPDIR:-/tmp}/kestrix-apt.XXXXXX.log")
install() { as_root apt-get install -y -q -o Dpkg::Use-Pty=0 "${missing[@]}"; }
if ! install >"$log" 2>&1; then
    # A fresh machine has no (or stale) package lists.
    echo "[packages] refreshing the package lists" >&2
    as_root apt-get update -q >>"$log" 2>&1 || { tail -n 20 "$log" >&2; exit 1; }
    install >>"$log" 2>&1 || { tail -n 30 "$log" >&2; exit 1; }
fi
rm -f "$log"
echo "[packages] done" >&2
