#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given seconds. Ends with a
# line "fuzz: N passed, N failed" and fails when a target found a fault.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMORANT_FUZZ=ON -DVELMORANT_TESTS=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)"
passed=0
failed=0
for target in build-fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus=build-fuzz/corpus/${name#fuzz_}
    mkdir -p "$corpus"
    seeds=fuzz/corpus/${name#fuzz_}
    [ -d "$seeds" ] || seeds=
    echo "Fuzzing $name for ${seconds}s"
    if "$target" -max_total_time="$seconds" -print_final_stats=0 "$corpus" $seeds > "build-fuzz/$name.log" 2>&1; then
        passed=$((passed + 1))
        tail -n 2 "build-fuzz/$name.log"
    else
        failed=$((failed + 1))
        tail -n 40 "build-fuzz/$name.log"
    fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
