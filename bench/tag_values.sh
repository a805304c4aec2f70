#!/usr/bin/env bash
# Whether a change to tag reading stores exactly the values it stored before: the first
# scan of a generated library (MP3 and WAV in every tagging, pictures, playlists, broken
# files) by BASELINE and by this build, every stored folder list compared key by key and
# in order, ADDED (the time of the scan) left out. Prints the count compared and the first
# differences; fails when there are any.
#   BASELINE=path/to/velmorant bench/tag_values.sh [files]
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/prepared-player.sh
: "${BASELINE:?BASELINE=path/to/velmorant of the build to compare with}"
files=${1:-100000}
port=${BENCH_PORT:-18735}
build_player
library=/tmp/velmorant-values-lib-$files
generated_library "$library" "$files" --images --playlists --formats mp3,wav --broken 20 --seed 7

new_work
base=http://127.0.0.1:$port

# scan NAME EXECUTABLE: the stored folder lists into $work/NAME.values
scan() {
    start_fresh_player "$1" "$2" "$library"
    curl -s -o /dev/null "$base/scan"
    until grep -q '^SCANS [1-9]' <<< "$(curl -s "$base/scanstatus")" &&
        grep -q '^TAGS_PENDING 0$' <<< "$(curl -s "$base/scanstatus")"; do
        sleep 0.2
    done
    quit_player
    python3 - "$work/data" > "$work/$1.values" <<'EOF'
import glob, struct, sys
lists = {}
for name in glob.glob(sys.argv[1] + "/**/database/*.dat", recursive=True):
    data = open(name, "rb").read()
    count, at = struct.unpack_from("<I", data, 4)[0], 8
    for _ in range(count):
        _, path_length, data_length = struct.unpack_from("<III", data, at)
        at += 12
        path = data[at:at + path_length].decode("utf-8", "surrogateescape")
        body = data[at + path_length:at + path_length + data_length].decode("utf-8", "surrogateescape")
        lists[path] = [line for line in body.split("\n") if line and not line.lstrip(" ").startswith("ADDED ")]
        at += path_length + data_length
for path in sorted(lists):
    for line in lists[path]:
        print(path + "\t" + line)
EOF
}

scan baseline "$BASELINE"
scan player "$bench_build/velmorant"
entries=$(grep -c -P '\t(AUDIO|RADIO) ' "$work/player.values" || true)
keys=$(grep -c -P '\t +[A-Z]' "$work/player.values" || true)
if cmp -s "$work/baseline.values" "$work/player.values"; then
    echo "$files songs: $entries entries, $keys stored keys: the same values in the same order"
else
    echo "$files songs: the stored values differ (< baseline, > this build):"
    diff "$work/baseline.values" "$work/player.values" | head -40
    exit 1
fi
