#!/usr/bin/env bash
# A player playing an MP3 (ten minutes of a 192 kbit/s two-tone made by ffmpeg, 44.1 kHz
# stereo) to the null output. A few seconds into the song it samples, over S seconds
# (default 20), the process's CPU time and its threads' context switches (each one a
# wake-up), with the equaliser off and then with its three bands on. BASELINE=path/to/velmorant
# measures that executable first on the same song, for a comparison within the run.
#   bench/playing.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/prepared-player.sh
seconds=${1:-20}
song=/tmp/velmorant-bench-tone-600s.mp3
if [ ! -f "$song" ]; then
    ffmpeg -nostdin -v error -y -f lavfi -i "aevalsrc=0.4*sin(440*2*PI*t)+0.2*sin(1234*2*PI*t)|0.4*sin(660*2*PI*t)+0.1*sin(3210*2*PI*t):s=44100:d=600" \
        -b:a 192k "$song.part.mp3"
    mv "$song.part.mp3" "$song"
fi
prepare_settings 18735
mkdir -p "$work/music"
cp "$song" "$work/music/tone.mp3"

command() { curl -s "http://127.0.0.1:$port/$1"; }

# measure NAME EXECUTABLE
measure() {
    rm -rf "$work/data"
    "$2" > "$work/$1.log" 2>&1 &
    player=$!
    wait_until_answering
    command "setuserpref&name=REPOSITORY_PATHS&value=$work/music" > /dev/null
    command scan > /dev/null
    local id=""
    until [ -n "$id" ]; do
        sleep 0.1
        id=$(command list | grep -o "<tr id='s[0-9]*'>" | head -n 1 | grep -o 's[0-9]*' || true)
    done
    command "set&$id" > /dev/null
    sleep 3
    sample_player "$1: equaliser off" "$seconds"
    echo
    for band in 0 1 2; do command "setuserpref&name=EQ_${band}_GAIN&value=1.5" > /dev/null; done
    command "setuserpref&name=EQ_ACTIVE&value=1" > /dev/null
    sleep 1
    sample_player "$1: equaliser on" "$seconds"
    echo
    quit_player
}

if [ -n "${BASELINE:-}" ]; then
    cp "$BASELINE" "$work/program/velmorant-baseline"
    measure baseline "$work/program/velmorant-baseline"
fi
measure player "$work/program/velmorant"
