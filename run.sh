#!/usr/bin/env bash
# Installs what is missing, builds a release build and starts the player.
# Arguments are passed on: ./run.sh portable, ./run.sh next, ./run.sh quit ...
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
scripts/ensure-packages.sh "${BUILD_PACKAGES[@]}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORANT_TESTS=OFF >/dev/null
cmake --build build --target velmorant
exec build/velmorant "$@"
