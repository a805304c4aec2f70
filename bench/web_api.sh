#!/usr/bin/env bash
# Web API answer times with a large library stored: scans a generated library of N songs
# (default 100,000), restarts the player on it, loads a song and pauses it, then sends each
# request R times (default 200), one request per loopback connection as the browser does,
# and prints the median and 99th percentile from connect to the answer's last byte, with
# the footer's "Processed in" figure of the list pages. "/test" is the floor: the HTTP path
# with no work behind it.
#   bench/web_api.sh [files] [requests]
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/prepared-player.sh
files=${1:-100000}
requests=${2:-200}
prepare_player "$files" 18732
start_player "$work/bench.log"
wait_until_answering
base=http://127.0.0.1:$port

get() { curl -s "$base$1"; }

# Sends PATH R times; each answer and its timing line go to $work/NAME.out. curl needs a new
# connection for each, as the server closes it after the answer.
measure() {
    local name=$1 path=$2 urls=()
    for ((i = 0; i < requests; i++)); do urls+=("$base$path"); done
    curl -s -w '\n@@ %{time_namelookup} %{time_total} %{num_connects} %{http_code} %{size_download}\n' "${urls[@]}" > "$work/$name.out"
    if [ "$(awk '/^@@ / && $4 == 1 && $5 == 200' "$work/$name.out" | wc -l)" -ne "$requests" ]; then
        echo "$path: not every request had a connection of its own and a 200 answer" >&2
        exit 1
    fi
}

# Milliseconds on standard input; the same percentile rule as bench_http_load.
percentiles() {
    sort -n | awk '{ v[n++] = $1 } END {
        p50 = v[int(0.50 * n) < n ? int(0.50 * n) : n - 1]; p99 = v[int(0.99 * n) < n ? int(0.99 * n) : n - 1]
        printf "%10.3f %10.3f", p50, p99 }'
}

# The time from connect to the last byte: the look-up of a numeric address is left out.
latencies() { awk '/^@@ / { print ($3 - $2) * 1000 }' "$work/$1.out" | percentiles; }

processed_in() {
    grep -o 'Processed in [0-9]* ms' "$work/$1.out" | awk '{ print $3 }' | sort -n |
        awk '{ v[n++] = $1 } END { printf "%d", v[int(n / 2)] }'
}

last_rebuild_ms() { grep -o 'Processtime: [0-9]*' "$work/bench.log" | tail -n 1 | awk '{ print $2 }'; }

row() { printf "%-15s %s %s\n" "$1" "$(latencies "$2")" "${3:-}"; }

get /setpage\&1 > /dev/null
song=$(get /list | grep -o "<tr id='s[0-9]*'" | head -n 1 | tr -dc 0-9)
get "/set&s$song" > /dev/null
get /pause > /dev/null
get /fetch > "$work/feed.txt"
grep -q '^PLAYSTATUS 2$' "$work/feed.txt" || { echo "the song did not pause:" >&2; cat "$work/feed.txt" >&2; exit 1; }

echo "load before: $(uptime)"
get /setflat\&0 > /dev/null
folder_rebuild=$(last_rebuild_ms)
measure folder /list
get /setflat\&1 > /dev/null
flat_rebuild=$(last_rebuild_ms)
measure flat /list
measure fetch /fetch
measure test /test
echo "load after:  $(uptime)"

songs=$(grep -o '[0-9]* matches' "$work/folder.out" | head -n 1)
echo "$songs; $requests requests each; feed lines: $(cut -d ' ' -f 1 "$work/feed.txt" | tr '\n' ' ')"
printf "%-15s %10s %10s %s\n" request "median ms" "p99 ms" "  \"Processed in\" median ms (rebuild ms)"
row "/list folder" folder "  $(processed_in folder) ($folder_rebuild)"
row "/list flat" flat "  $(processed_in flat) ($flat_rebuild)"
row /fetch fetch
row /test test
answer_bytes() { awk '/^@@ / { print $6; exit }' "$work/$1.out"; }
echo "answer sizes: /list folder $(answer_bytes folder) bytes, /list flat $(answer_bytes flat) bytes"
quit_player
