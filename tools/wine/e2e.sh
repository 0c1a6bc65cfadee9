# The start that the end-to-end scripts of kestrix.exe share: their arguments, the
# helpers, the Wine environment.
#   source tools/wine/e2e.sh kestrix.exe BINDIR WORKDIR
# Sets kestrix_exe, bin (where the probes are), work (as given: the outer run of a
# script empties it with kestrix_fresh_work, a run inside a namespace reuses it) and
# tools (this folder).
kestrix_exe=$(realpath "$1")
bin=$(cd "$2" && pwd)
work=$3
tools="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$tools/common.sh"
source "$tools/display.sh"
source "$tools/checks.sh"
source "$tools/tray.sh"
kestrix_wine_env

# Empties the work folder, makes the given folders in it and makes $work absolute.
kestrix_fresh_work() {  # kestrix_fresh_work [SUBFOLDER...]
    rm -rf "$work"
    mkdir -p "$work"
    work=$(cd "$work" && pwd)
    local sub
    for sub in "$@"; do mkdir -p "$work/$sub"; done
}

# Ends a process the script started in the background; nothing when PID is empty.
stop_pid() {  # stop_pid PID
    [ -n "$1" ] || return 0
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
