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

ticks() { awk '{print $14 + $15}' "/proc/$player/stat"; }
switches() {
    for task in /proc/$player/task/*; do
        echo "${task##*/} $(awk '/ctxt_switches/ {s += $2} END {print s}' "$task/status")"
    done
}

# measure NAME EXECUTABLE
measure() {
    "$2" > "$work/$1.log" 2>&1 &
    player=$!
    wait_until_answering
    curl -s -o /dev/null "http://127.0.0.1:$port/stop"
    sleep 7  # past the idle unloading of the clusters start-up read
    touch "$work/idle.mark"
    local before_ticks after_ticks
    before_ticks=$(ticks)
    switches > "$work/switches.before"
    sleep "$seconds"
    after_ticks=$(ticks)
    switches > "$work/switches.after"
    local written
    written=$(find "$work/data" -type f -newer "$work/idle.mark" | wc -l)
    quit_player
    awk -v name="$1" -v t=$((after_ticks - before_ticks)) -v hz="$(getconf CLK_TCK)" -v s="$seconds" \
        'BEGIN {printf "%s: idle CPU over %d s %.3f %% of a core", name, s, 100 * t / hz / s}'
    awk -v s="$seconds" 'NR == FNR {before[$1] = $2; next} {total += $2 - before[$1]}
        END {printf ", wake-ups %.1f per second in all threads", total / s}' "$work/switches.before" "$work/switches.after"
    echo ", files written $written"
}

if [ -n "${BASELINE:-}" ]; then
    cp "$BASELINE" "$work/program/velmorant-baseline"
    measure baseline "$work/program/velmorant-baseline"
fi
measure player "$work/program/velmorant"
