#!/usr/bin/env bash
# Builds the Debian package of PlimoBall (the game, its data, the ranking
# server and its systemd unit) and names the .deb it made:
#   scripts/package.sh && apt install ./build/plimoball_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLIMO_TESTS=OFF -DPLIMO_BENCH=OFF -DPLIMO_WERROR=OFF >/dev/null
ninja -C build -j "$(nproc)"
(cd build && cpack -G DEB >/dev/null)
ls build/plimoball_*.deb
