#!/usr/bin/env bash
# The first scan of a generated library of N songs (default 100,000) into a fresh settings
# folder, with the files in the cache (the library is walked once before), or with COLD=1
# with their contents dropped from it just before the scan (folders and names stay cached,
# and no other file's pages are touched): the time from
# "/scan" until the merge and until every tag is read, and the answer times of "/fetch",
# asked every 20 ms meanwhile (from connect to the last byte), during the walk and merge
# and while tags are read, and the CPU the player took from "/scan" until every tag was
# read (all its threads; the figure a loaded machine disturbs least). BASELINE=path/to/velmorant
# measures that executable first, in the same run.
#   bench/tags.sh [files]
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/prepared-player.sh
files=${1:-100000}
port=${BENCH_PORT:-18734}
build_player
library=/tmp/velmorant-bench-lib-$files
generated_library "$library" "$files" --images
find "$library" -type f -exec cat {} + > /dev/null  # a warm cache

# Drops the cached contents of the library's files, and of no other file.
evict_library() {
    python3 - "$library" <<'EOF'
import os, sys
for folder, _, files in os.walk(sys.argv[1]):
    for name in files:
        handle = os.open(os.path.join(folder, name), os.O_RDONLY)
        os.posix_fadvise(handle, 0, 0, os.POSIX_FADV_DONTNEED)
        os.close(handle)
EOF
}

new_work
base=http://127.0.0.1:$port

# measure NAME EXECUTABLE
measure() {
    start_fresh_player "$1" "$2" "$library"
    [ -z "${COLD:-}" ] || evict_library
    : > "$work/walk.times"
    : > "$work/tags.times"
    local started merged="" done status phase=walk cpu
    cpu=$(cpu_ticks)
    started=$(date +%s%N)
    curl -s -o /dev/null "$base/scan"
    while :; do
        curl -s -o /dev/null -w '%{time_total}\n' "$base/fetch" >> "$work/$phase.times"
        status=$(curl -s "$base/scanstatus")
        if grep -q '^SCANS [1-9]' <<< "$status"; then
            [ -n "$merged" ] || merged=$(date +%s%N)
            grep -q '^TAGS_PENDING 0$' <<< "$status" && break
            phase=tags
        fi
        sleep 0.02
    done
    done=$(date +%s%N)
    cpu=$(( $(cpu_ticks) - cpu ))
    quit_player
    echo "$1: scan until merged $(( (merged - started) / 1000000 )) ms, until every tag is read $(( (done - started) / 1000000 )) ms," \
         "CPU $(( cpu * 1000 / $(getconf CLK_TCK) )) ms"
    summary "/fetch during the walk and merge" "$work/walk.times"
    summary "/fetch while tags are read" "$work/tags.times"
}

# The player's CPU so far, user and system, in clock ticks.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$player/stat"; }

# summary TITLE FILE: percentiles of the answer times in seconds, one a line
summary() {
    sort -n "$2" | awk -v title="$1" '{t[NR] = $1 * 1000} END {
        if (NR == 0) { printf "  %s: none asked\n", title; exit }
        p99 = int(NR * 0.99) + 1; if (p99 > NR) p99 = NR
        printf "  %s (%d asked): p50 %.1f ms, p99 %.1f ms, max %.1f ms\n", title, NR, t[int(NR * 0.5) + 1], t[p99], t[NR]}'
}

if [ -n "${BASELINE:-}" ]; then measure baseline "$BASELINE"; fi
measure player "$bench_build/velmorant"
