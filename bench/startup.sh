#!/usr/bin/env bash
# Start-up with a large library stored: scans a generated library of N songs (default
# 100,000) into a fresh settings folder and lets every tag be read, then measures the time
# from starting the player until its web server answers, and its resident memory per song.
#   bench/startup.sh [files]
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/prepared-player.sh
files=${1:-100000}
prepare_player "$files" 18731

started=$(date +%s%N)
start_player "$work/second.log"
wait_until_answering
answered=$(date +%s%N)
rss_kb=$(awk '/VmRSS/ {print $2}' "/proc/$player/status")
quit_player

songs=$files
echo "start until the web server answers: $(( (answered - started) / 1000000 )) ms"
echo "resident memory after start: $(( rss_kb / 1024 )) MiB, $(( rss_kb * 1024 / songs )) bytes per song"
grep -E 'Repository scanned|Processtime' "$work/second.log" | head -3
