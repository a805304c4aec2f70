#!/usr/bin/env bash
# Checks that this build plays exactly what an older one did: plays short songs (MP3
# stereo and mono at other rates, Ogg at 48 kHz, FLAC, made by ffmpeg) through
# tools/play-to-wav of both builds, plain, with a lower volume and with an equaliser band,
# and compares the WAV files byte for byte. Prints one line per case and fails on a
# difference. Speed changes and seeks are left out: they reach a playing song, so where
# they take effect depends on timing. Builds before ea2ca94 set volume and equaliser after
# the song opened too: build the baseline with this tools/play-to-wav.cpp.
#   BASELINE_TOOL=path/to/older/play-to-wav bench/same-audio.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bench_build=${BENCH_BUILD:-build-bench}
cmake -S . -B "$bench_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORANT_BENCH=ON -DVELMORANT_TESTS=OFF >/dev/null
cmake --build "$bench_build" --target play-to-wav >/dev/null
baseline=${BASELINE_TOOL:?BASELINE_TOOL names the older build\'s play-to-wav}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

tone() { ffmpeg -nostdin -v error -y -f lavfi -i "aevalsrc=$1:s=$2:d=20" "${@:4}" "$work/$3"; }
tone "0.4*sin(440*2*PI*t)+0.2*sin(1234*2*PI*t)|0.4*sin(660*2*PI*t)" 44100 stereo.mp3 -b:a 192k
tone "0.5*sin(330*2*PI*t)" 22050 mono.mp3 -ac 1 -b:a 64k
tone "0.3*sin(500*2*PI*t)|0.3*sin(750*2*PI*t)" 48000 stereo48.ogg
tone "0.3*sin(500*2*PI*t)|0.3*sin(750*2*PI*t)" 44100 stereo.flac -c:a flac

differences=0
for song in stereo.mp3 mono.mp3 stereo48.ogg stereo.flac; do
    for options in "" "--volume 0.5" "--eq 2000:0.5" "--eq 300:2.5 --volume 0.3"; do
        # shellcheck disable=SC2086  # the options are words
        "$baseline" "$work/$song" "$work/before.wav" $options > /dev/null
        # shellcheck disable=SC2086
        "$bench_build/tools/play-to-wav" "$work/$song" "$work/after.wav" $options > /dev/null
        if cmp -s "$work/before.wav" "$work/after.wav"; then
            echo "$song ${options:-plain}: same $(stat -c %s "$work/after.wav") bytes"
        else
            echo "$song ${options:-plain}: DIFFERENT"
            differences=$((differences + 1))
        fi
    done
done
[ "$differences" -eq 0 ]
