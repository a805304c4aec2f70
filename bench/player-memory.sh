#!/usr/bin/env bash
# The running player's resident memory per song above its empty start, for the first scan
# of a generated library of N songs (default 100,000): once every tag is read, and once the
# store is flushed and its clusters unloaded as idle. bench_memory takes the same path
# inside one process; this is what a user's player holds. BASELINE=path/to/velmorant
# measures that executable first, in the same run.
#   bench/player-memory.sh [files]
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/prepared-player.sh
files=${1:-100000}
port=${BENCH_PORT:-18735}
build_player
library=/tmp/velmorant-bench-lib-$files
generated_library "$library" "$files" --images
new_work

resident_kb() { awk '/VmRSS/ {print $2}' "/proc/$player/status"; }
per_song() { echo $(( ($(resident_kb) - empty) * 1024 / files )); }

# measure NAME EXECUTABLE
measure() {
    start_fresh_player "$1" "$2" "$library"
    empty=$(resident_kb)
    curl -s -o /dev/null "http://127.0.0.1:$port/scan"
    wait_for_tags "$work/$1.log"
    local tagged
    tagged=$(per_song)
    sleep 20  # past the 10 s flush and the clusters' 5 s idle time
    echo "$1: empty start $((empty / 1024)) MiB; bytes per song above it: every tag read $tagged," \
         "flushed and unloaded $(per_song), $(( $(resident_kb) / 1024 )) MiB in all"
    quit_player
}

[ -n "${BASELINE:-}" ] && measure baseline "$BASELINE"
measure player "$bench_build/velmorant"
