#!/usr/bin/env bash
# An idle player: a generated library of N songs (default 100,000) stored, nothing playing,
# nothing changed. Once start-up has settled it samples, over S seconds (default 20), the
# process's CPU time and its threads' context switches (each one a wake-up), and counts the
# files written meanwhile. BASELINE=path/to/velmorant measures that executable first on
# the same settings, for a comparison within the run.
#   bench/idle.sh [files] [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/prepared-player.sh
files=${1:-100000}
seconds=${2:-20}
prepare_player "$files" 18733

# measure NAME EXECUTABLE
measure() {
    "$2" > "$work/$1.log" 2>&1 &
    player=$!
    wait_until_answering
    curl -s -o /dev/null "http://127.0.0.1:$port/stop"
    sleep 7  # past the idle unloading of the clusters start-up read
    touch "$work/idle.mark"
    sample_player "$1: idle" "$seconds"
    echo ", files written $(find "$work/data" -type f -newer "$work/idle.mark" | wc -l)"
    quit_player
}

if [ -n "${BASELINE:-}" ]; then
    cp "$BASELINE" "$work/program/velmorant-baseline"
    measure baseline "$work/program/velmorant-baseline"
fi
measure player "$work/program/velmorant"
