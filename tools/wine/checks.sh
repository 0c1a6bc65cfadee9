# Shared by the end-to-end scripts: named checks with a count, and the release of
# a display the script started itself.

passes=0 failures=0
check() {  # check DESCRIPTION EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then
        echo "ok: $1"
        passes=$((passes + 1))
        return
    fi
    failures=$((failures + 1))
    if [[ "$2$3" == *$'\n'* ]]; then
        echo "FAILED: $1"
        diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | sed 's/^/    /' || true
    else
        echo "FAILED: $1: expected '$2', got '$3'"
    fi
}

# Prints the tally and fails when any check failed.
checks_summary() {  # checks_summary NAME
    echo "$1: $passes checks passed, $failures failed"
    [ "$failures" -eq 0 ]
}

# Stops Wine and the display when the script started them itself.
release_own_display() {
    if [ "${own_display:-0}" = 1 ]; then
        kestrix_wine_stop
        kestrix_display_stop
    fi
}

# Sets exit_status to PID's exit code once it has ended, or to "running" when it
# has not within SECONDS (10 by default). PID must be a child of this shell.
wait_for_exit() {  # wait_for_exit PID [SECONDS]
    exit_status=running
    for _ in $(seq 1 $((${2:-10} * 10))); do
        if ! kill -0 "$1" 2>/dev/null; then
            exit_status=0
            wait "$1" || exit_status=$?
            return
        fi
        sleep 0.1
    done
}
