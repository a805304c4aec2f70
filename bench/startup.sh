#!/usr/bin/env bash
# Start-up with a large library stored: scans a generated library of N songs (default
# 100,000) into a fresh settings folder and lets every tag be read, then measures the time
# from starting the player until its web server answers, and its resident memory per song.
#   bench/startup.sh [files]
set -euo pipefail
cd "$(dirname "$0")/.."
files=${1:-100000}
port=18731

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORANT_BENCH=ON -DVELMORANT_TESTS=OFF >/dev/null
cmake --build build-bench --target velmorant >/dev/null
library=/tmp/velmorant-bench-lib-$files
if [ ! -f "$library/.complete" ]; then
    ../shared/tools/make-library --clean --quiet --images --out "$library" --files "$files"
    touch "$library/.complete"
fi

work=$(mktemp -d)
[ -n "${KEEP_WORK:-}" ] && echo "work folder: $work" || trap 'rm -rf "$work"' EXIT
mkdir -p "$work/program" "$work/run"
cp build-bench/velmorant "$work/program/"
cp -r build-bench/web "$work/program/"
echo "PORT=$port" > "$work/program/serversettings.ini"
export HOME=$work XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run VELMORANT_AUDIO=null

answers() { curl -s -o /dev/null --max-time 1 "http://127.0.0.1:$port/test"; }
wait_until_answering() { until answers; do sleep 0.005; done; }

"$work/program/velmorant" > "$work/first.log" 2>&1 &
wait_until_answering
curl -s -o /dev/null "http://127.0.0.1:$port/setuserpref&name=REPOSITORY_PATHS&value=$library"
curl -s -o /dev/null "http://127.0.0.1:$port/scan"
# The tags are all read once the main loop has stopped reporting what remains.
sleep 3
while [ $(( $(date +%s) - $(stat -c %Y "$work/first.log") )) -lt 3 ] || grep -q 'Scanning tags' <(tail -n 3 "$work/first.log"); do
    sleep 1
done
curl -s -o /dev/null "http://127.0.0.1:$port/quit"
wait

started=$(date +%s%N)
"$work/program/velmorant" > "$work/second.log" 2>&1 &
player=$!
wait_until_answering
answered=$(date +%s%N)
rss_kb=$(awk '/VmRSS/ {print $2}' "/proc/$player/status")
curl -s -o /dev/null "http://127.0.0.1:$port/quit"
wait

songs=$files
echo "start until the web server answers: $(( (answered - started) / 1000000 )) ms"
echo "resident memory after start: $(( rss_kb / 1024 )) MiB, $(( rss_kb * 1024 / songs )) bytes per song"
grep -E 'Repository scanned|Processtime' "$work/second.log" | head -3
