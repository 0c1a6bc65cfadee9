#!/usr/bin/env bash
# Cross-builds the static Windows libraries Kestrix links against (libpng,
# libqrencode, libsodium) from Debian's own source packages, with zlib taken
# from libz-mingw-w64-dev. The result lands in a cache prefix that the windows
# preset finds on its own; a library already built there is not rebuilt.
#
#   tools/build-mingw-deps.sh            # prefix: $KESTRIX_DEPS_PREFIX or ~/.cache/kestrix/mingw-w64
#   KESTRIX_DEPS_PREFIX=/tmp/x tools/build-mingw-deps.sh
set -euo pipefail

HOST=x86_64-w64-mingw32
PREFIX=${KESTRIX_DEPS_PREFIX:-$HOME/.cache/kestrix/mingw-w64}
# Bump when the way a library is built changes, so old caches are rebuilt.
RECIPE=1
JOBS=${KESTRIX_JOBS:-2}

log() { printf '[deps] %s\n' "$*" >&2; }
die() { printf '[deps] error: %s\n' "$*" >&2; exit 1; }

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

stamp_of() { echo "$PREFIX/stamps/$1"; }

is_built() {
    local stamp
    stamp=$(stamp_of "$1")
    [ -f "$stamp" ] && [ "$(head -n1 "$stamp")" = "recipe $RECIPE" ] && [ -f "$PREFIX/lib/$2" ]
}

check_tools() {
    local missing=()
    for tool in "$HOST-gcc-posix" apt-get apt-cache dpkg-source autoreconf libtoolize make tar; do
        command -v "$tool" >/dev/null || missing+=("$tool")
    done
    [ -f "/usr/$HOST/lib/libz.a" ] || missing+=("libz-mingw-w64-dev")
    [ ${#missing[@]} -eq 0 ] || die "missing: ${missing[*]} (tools/install-packages.sh installs them)"
}

# Source indexes: turn on deb-src for every configured binary source once, then refresh.
has_source_index() {
    # no early-closing grep here: under pipefail apt-cache would die of SIGPIPE
    [ -n "$(apt-cache showsrc zlib 2>/dev/null)" ]
}

ensure_deb_src() {
    if has_source_index; then return; fi
    log "enabling Debian source packages"
    local changed=0 file
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        # any stanza whose Types line lacks deb-src
        if awk '/^Types:/ && !/deb-src/ {found = 1} END {exit !found}' "$file"; then
            as_root sed -i -E '/^Types:/{/deb-src/!s/\bdeb\b/deb deb-src/}' "$file"
            changed=1
        fi
    done
    local legacy=/etc/apt/sources.list extra=/etc/apt/sources.list.d/kestrix-deb-src.list
    if [ -f "$legacy" ] && [ ! -f "$extra" ] && grep -Eq '^deb\s' "$legacy" && ! grep -Eq '^deb-src\s' "$legacy"; then
        grep -E '^deb\s' "$legacy" | sed -E 's/^deb(\s)/deb-src\1/' | as_root tee "$extra" >/dev/null
        changed=1
    fi
    [ "$changed" = 1 ] || log "deb-src entries present but the source index is empty; refreshing"
    as_root apt-get update -qq
    has_source_index || die "no Debian source index after enabling deb-src"
}

# Every version of a source package that the indexes offer, newest first (dpkg order).
source_versions() {
    local v i sorted=()
    for v in $(apt-cache showsrc "$1" 2>/dev/null | awk '/^Version:/ {print $2}' | sort -u); do
        i=${#sorted[@]}
        sorted+=("$v")
        while [ "$i" -gt 0 ] && dpkg --compare-versions "${sorted[i-1]}" lt "$v"; do
            sorted[i]=${sorted[i-1]}
            i=$((i - 1))
        done
        sorted[i]=$v
    done
    [ ${#sorted[@]} -eq 0 ] || printf '%s\n' "${sorted[@]}"
}

# Unpacks the newest complete revision of a Debian source package into $2 and
# prints the source directory. A revision whose .dsc or Debian tarball is
# missing from the mirror (404) is skipped for an older one; when no revision
# is complete, the upstream tarball alone is unpacked.
fetch_source() {
    local package=$1 workdir=$2 version dir
    local versions
    versions=$(source_versions "$package")
    [ -n "$versions" ] || die "no source package $package in the apt indexes"
    for version in $versions; do
        dir="$workdir/$package-$version"
        mkdir -p "$dir"
        log "fetching $package $version"
        if (cd "$dir" && apt-get source --download-only -qq "$package=$version" >/dev/null 2>"$dir/fetch.log"); then
            local dsc
            dsc=$(ls "$dir"/*.dsc)
            if (cd "$dir" && dpkg-source --no-check -x "$(basename "$dsc")" src >/dev/null 2>>"$dir/fetch.log"); then
                echo "$dir/src"
                return
            fi
        fi
        log "$package $version is incomplete on the mirror; trying an older revision"
    done
    # No complete revision: fall back to the newest upstream tarball that did download.
    local orig
    for version in $versions; do
        orig=$(ls "$workdir/$package-$version"/*.orig.tar.* 2>/dev/null | head -n1 || true)
        if [ -n "$orig" ]; then
            log "using the upstream tarball $(basename "$orig") without Debian's changes"
            mkdir -p "$workdir/$package-$version/src"
            tar -xf "$orig" -C "$workdir/$package-$version/src" --strip-components=1
            echo "$workdir/$package-$version/src"
            return
        fi
    done
    die "could not download any revision of $package"
}

configure_and_install() {
    local src=$1; shift
    (
        cd "$src"
        ./configure --host=$HOST --prefix="$PREFIX" --enable-static --disable-shared --disable-dependency-tracking \
            CC="$HOST-gcc-posix" CFLAGS=-O2 CPPFLAGS="-I$PREFIX/include" LDFLAGS="-L$PREFIX/lib" "$@" >configure.out 2>&1 ||
            { tail -n 40 configure.out >&2; exit 1; }
        make -j"$JOBS" >make.out 2>&1 || { tail -n 40 make.out >&2; exit 1; }
        make install >install.out 2>&1 || { tail -n 40 install.out >&2; exit 1; }
    )
}

build_one() {
    local name=$1 package=$2 archive=$3 started src
    if is_built "$name" "$archive"; then
        log "$name: present in $PREFIX"
        return
    fi
    started=$SECONDS
    src=$(fetch_source "$package" "$WORK")
    log "$name: building from $src"
    case "$name" in
        libpng) configure_and_install "$src" ;;
        qrencode) configure_and_install "$src" --without-tools ;;
        libsodium)
            # Debian's libsodium source carries no generated configure script.
            (cd "$src" && autoreconf -fi >autoreconf.out 2>&1) || { tail -n 20 "$src/autoreconf.out" >&2; exit 1; }
            configure_and_install "$src"
            ;;
    esac
    [ -f "$PREFIX/lib/$archive" ] || die "$name: $archive was not installed"
    mkdir -p "$PREFIX/stamps"
    printf 'recipe %s\n%s\n' "$RECIPE" "$(basename "$(dirname "$src")")" >"$(stamp_of "$name")"
    log "$name: done in $((SECONDS - started)) s"
}

main() {
    if is_built libpng libpng16.a && is_built qrencode libqrencode.a && is_built libsodium libsodium.a; then
        log "all present in $PREFIX"
        return
    fi
    check_tools
    ensure_deb_src
    mkdir -p "$PREFIX"
    WORK=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-deps.XXXXXX")
    trap 'rm -rf "$WORK"' EXIT
    # apt's download sandbox user must be able to write the download directory.
    chmod 755 "$WORK"
    local started=$SECONDS
    build_one libpng libpng1.6 libpng16.a
    build_one qrencode qrencode libqrencode.a
    build_one libsodium libsodium libsodium.a
    log "finished in $((SECONDS - started)) s: $PREFIX"
}

main "$@"
