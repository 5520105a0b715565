#!/usr/bin/env bash
# Builds PlimoBall and starts it in its window. Arguments go to the game
# (e.g. --play yoiko).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLIMO_TESTS=OFF -DPLIMO_BENCH=OFF -DPLIMO_WERROR=OFF >/dev/null
ninja -C build -j "$(nproc)" plimoball plimo_data
cd build/game
exec ./plimoball "$@"
