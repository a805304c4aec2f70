#!/usr/bin/env bash
# Builds the benchmarks in a release build and runs them; figures go to standard output.
# ./bench/run.sh [name ...] runs only the named ones (bench/<name>.cpp, or the script
# bench/<name>.sh with its default arguments).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
scripts/ensure-packages.sh "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORANT_BENCH=ON \
    -DVELMORANT_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc)"
names=("$@")
[ ${#names[@]} -gt 0 ] || names=($(ls build-bench | sed -n 's/^bench_//p'))
for name in "${names[@]}"; do
    echo "== $name"
    if [ -x "build-bench/bench_$name" ]; then "build-bench/bench_$name"; else "bench/$name.sh"; fi
done
