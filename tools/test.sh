#!/usr/bin/env bash
# Installs whatever is missing and runs every test: the native unit tests, the
# same under AddressSanitizer, UndefinedBehaviorSanitizer and libstdc++'s
# assertions, a bounded run of every fuzz target, then the Windows build's tests
# under Wine (unit tests cross-compiled, end-to-end scripts) on a private
# two-monitor X display that this script starts and stops.
#   tools/test.sh
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source tools/wine/common.sh
source tools/wine/display.sh

jobs=${KESTRIX_JOBS:-$(nproc)}
# Each fuzz target runs this long here; tools/fuzz.sh runs them longer.
fuzz_seconds=${KESTRIX_FUZZ_SECONDS:-20}
started=$SECONDS
results=()
total_passed=0 total_failed=0

step() { printf '\n== %s\n' "$*"; }

# Runs ctest with the given arguments and adds its counts to the totals.
run_ctest() {
    local name=$1 log=$2; shift 2
    local status=0
    ctest "$@" 2>&1 | tee "$log" || status=$?
    local line passed=0 failed=0
    line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1 || true)
    if [ -n "$line" ]; then
        failed=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
        passed=$(( $(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line") - failed ))
    elif [ "$status" -ne 0 ]; then
        failed=1
    fi
    total_passed=$((total_passed + passed))
    total_failed=$((total_failed + failed))
    results+=("$name: $passed passed, $failed failed")
}

# Whether clang++ links a libFuzzer target here.
clang_has_libfuzzer() {
    local probe
    probe=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-fuzz-probe.XXXXXX")
    printf '%s\n' '#include <cstddef>' '#include <cstdint>' \
        'extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }' >"$probe/probe.cpp"
    local status=0
    clang++ -fsanitize=fuzzer "$probe/probe.cpp" -o "$probe/probe" >/dev/null 2>&1 || status=$?
    rm -rf "$probe"
    return "$status"
}

stage_failed() {
    total_failed=$((total_failed + 1))
    results+=("$1: FAILED ($2)")
}

cleanup() {
    kestrix_wine_stop
    kestrix_display_stop
}
kestrix_cleanup_on_exit cleanup

step "packages"
tools/install-packages.sh

step "Windows dependencies"
deps_started=$SECONDS
tools/build-mingw-deps.sh
echo "[deps] $((SECONDS - deps_started)) s"

step "native build and tests"
if cmake --preset native >/dev/null && cmake --build --preset native -j"$jobs"; then
    run_ctest native build/native-ctest.log --preset native -j"$jobs"
else
    stage_failed native "configure or build"
fi

step "sanitizer build and tests (AddressSanitizer, UndefinedBehaviorSanitizer, libstdc++ assertions)"
if cmake --preset native-asan >/dev/null && cmake --build --preset native-asan -j"$jobs"; then
    # Leak checking stays on where LeakSanitizer works; the probe leaks on purpose.
    leak_check=1
    probe_output=$(build/native-asan/tests/leak_probe 2>&1 || true)
    if ! grep -q "detected memory leaks" <<<"$probe_output"; then
        echo "[asan] LeakSanitizer cannot run here; the sanitized tests run without leak checking"
        leak_check=0
    fi
    ASAN_OPTIONS="detect_leaks=$leak_check" \
        run_ctest native-asan build/native-asan-ctest.log --preset native-asan -j"$jobs"
else
    stage_failed native-asan "configure or build"
fi

step "fuzz targets (libFuzzer, ${fuzz_seconds} s each)"
if ! command -v clang++ >/dev/null; then
    echo "[fuzz] skipped: clang++ is not installed (Debian's clang and libclang-rt-14-dev bring libFuzzer)"
    results+=("fuzz: skipped (no clang++)")
elif ! clang_has_libfuzzer; then
    echo "[fuzz] skipped: clang++ cannot link libFuzzer targets (Debian's libclang-rt-14-dev brings it)"
    results+=("fuzz: skipped (no libFuzzer)")
elif cmake --preset fuzz -DKESTRIX_FUZZ_SECONDS="$fuzz_seconds" >/dev/null &&
    cmake --build --preset fuzz -j"$jobs"; then
    run_ctest fuzz build/fuzz-ctest.log --preset fuzz -j"$jobs"
else
    stage_failed fuzz "configure or build"
fi

step "Windows build and tests under Wine"
if cmake --preset windows >/dev/null && cmake --build --preset windows -j"$jobs"; then
    export KESTRIX_WINEPREFIX="$PWD/build/windows/wine-prefix"
    kestrix_wine_env
    # One private display for the whole run; the end-to-end scripts reuse it.
    kestrix_wine_stop
    if kestrix_display_start two build/windows/display && tools/wine/setup-prefix; then
        run_ctest windows build/windows-ctest.log --preset windows -j"$jobs"
    else
        stage_failed windows "private display or Wine prefix"
    fi
    cleanup
else
    stage_failed windows "configure or build"
fi

step "summary ($((SECONDS - started)) s)"
printf '%s\n' "${results[@]}"
echo "Summary: $total_passed passed, $total_failed failed"
[ "$total_failed" -eq 0 ]
