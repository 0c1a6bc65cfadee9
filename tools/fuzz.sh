#!/usr/bin/env bash
# Runs the fuzz targets for longer than the test command does and prints, per
# target, how many inputs it executed, how fast, the coverage libFuzzer reached
# (edges and features) and the corpus it kept. New inputs accumulate in
# build/fuzz/fuzz-corpus/<name>, so later runs start where earlier ones stopped;
# an input that breaks a property is saved under build/fuzz/fuzz-artifacts.
#   tools/fuzz.sh [--seconds N] [--jobs N] [--fresh] [TARGET...]
#     --seconds N   run each target N seconds (default 300)
#     --jobs N      run N targets side by side (default 1)
#     --fresh       start from the seeds alone, forgetting earlier runs' inputs
#     TARGET        e.g. config or config_fuzz; every target when none is named
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

seconds=300 parallel=1 fresh=0 wanted=()
while [ $# -gt 0 ]; do
    case $1 in
        --seconds) seconds=$2; shift 2 ;;
        --jobs) parallel=$2; shift 2 ;;
        --fresh) fresh=1; shift ;;
        -h|--help) sed -n '2,13p' "$0"; exit 0 ;;
        *) wanted+=("${1%_fuzz}"); shift ;;
    esac
done

command -v clang++ >/dev/null || { echo "fuzz.sh: clang++ is not installed (tools/install-packages.sh installs it)" >&2; exit 1; }
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"${KESTRIX_JOBS:-2}"

build=build/fuzz
logs=$build/fuzz-logs
mkdir -p "$logs" "$build/fuzz-artifacts"
if [ ${#wanted[@]} -eq 0 ]; then
    for source in tests/fuzz/*_fuzz.cpp; do
        name=$(basename "$source" .cpp)
        wanted+=("${name%_fuzz}")
    done
fi

run_target() {
    local name=$1
    local work=$build/fuzz-corpus/$name
    [ "$fresh" -eq 0 ] || rm -rf "$work"
    mkdir -p "$work"
    local args=(-max_total_time="$seconds" -print_final_stats=1 -timeout=30
                -artifact_prefix="$build/fuzz-artifacts/$name-" "$work")
    [ -d "tests/fuzz/corpus/$name" ] && args+=("tests/fuzz/corpus/$name")
    [ -f "tests/fuzz/$name.dict" ] && args=(-dict="tests/fuzz/$name.dict" "${args[@]}")
    local status=0
    "$build/tests/fuzz/${name}_fuzz" "${args[@]}" >"$logs/$name.log" 2>&1 || status=$?
    echo "$status" >"$logs/$name.status"
}

echo "[fuzz] ${#wanted[@]} targets, $seconds s each, $parallel at a time; logs in $logs"
running=0
for name in "${wanted[@]}"; do
    if [ ! -x "$build/tests/fuzz/${name}_fuzz" ]; then
        echo "fuzz.sh: no fuzz target $name" >&2
        exit 1
    fi
    run_target "$name" &
    running=$((running + 1))
    if [ "$running" -ge "$parallel" ]; then
        wait -n
        running=$((running - 1))
    fi
done
wait

stat() { sed -nE "s/^stat::$1: *([0-9]+).*/\1/p" "$2" | tail -n1; }
failed=0
printf '\n%-16s %12s %9s %7s %8s %8s %s\n' target executions exec/s cov ft corpus result
for name in "${wanted[@]}"; do
    log=$logs/$name.log
    status=$(cat "$logs/$name.status")
    # The last status line, e.g. "#1234567 DONE cov: 812 ft: 2301 corp: 240/9870b ..."
    last=$(grep -E '^#[0-9]+' "$log" | tail -n1 || true)
    cov=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"$last")
    ft=$(sed -nE 's/.* ft: ([0-9]+).*/\1/p' <<<"$last")
    corp=$(sed -nE 's/.* corp: ([0-9]+\/[0-9]+[a-zA-Z]*).*/\1/p' <<<"$last")
    result=ok
    if [ "$status" -ne 0 ]; then
        result="FAILED (exit $status; see $log)"
        failed=$((failed + 1))
    fi
    printf '%-16s %12s %9s %7s %8s %8s %s\n' "$name" "$(stat number_of_executed_units "$log")" \
        "$(stat average_exec_per_sec "$log")" "${cov:-?}" "${ft:-?}" "${corp:-?}" "$result"
done

if [ "$failed" -gt 0 ]; then
    echo
    echo "Inputs that broke a property:"
    ls -1 "$build/fuzz-artifacts" 2>/dev/null | sed 's/^/  /'
fi
[ "$failed" -eq 0 ]
