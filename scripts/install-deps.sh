#!/usr/bin/env bash
# Installs the Debian packages PlimoBall needs to build, test and run.
# Safe to run again: only missing packages are installed.
set -euo pipefail

PACKAGES=(
  # toolchain
  g++ cmake ninja-build pkg-config
  # window, 2D/3D drawing, fonts, sound
  libsdl2-dev libsdl2-image-dev libsdl2-ttf-dev libsdl2-mixer-dev
  libepoxy-dev libgl1-mesa-dev libgl1-mesa-dri libfontconfig-dev libx11-dev
  fonts-vlgothic fonts-dejavu-core
  # replay archives, ranking client and server
  libzip-dev zlib1g-dev libcurl4-openssl-dev libsqlite3-dev curl
  # ranking server: event-driven HTTP (Boost.Beast), PostgreSQL store and the
  # throw-away database its tests start, the load generator of its figures
  libboost-dev libpq-dev postgresql apache2-utils sqlite3
  # the load balancer its scale-out test puts in front of two servers, and
  # Prometheus's promtool, which checks its /metrics
  haproxy prometheus
  # asset generation (pictures, music)
  libcairo2-dev libpango1.0-dev lame libmp3lame-dev
  # tests and benchmarks; clang's libFuzzer (libclang_rt.fuzzer) for the fuzz targets
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool x11-utils imagemagick
  # installing and packaging: dependencies from dpkg-shlibdeps, checks of the
  # package, its metainfo, desktop entry and manual pages
  dpkg-dev file lintian appstream desktop-file-utils man-db debootstrap
  # the replay viewer for the browser: the rules as WebAssembly, and its
  # tests in headless Chromium (node runs them; npm installs the pinned
  # three.js and puppeteer-core)
  emscripten nodejs chromium
)
# npm comes with some node packages (NodeSource's): Debian's would conflict.
command -v npm >/dev/null 2>&1 || PACKAGES+=(npm)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#PACKAGES[@]} packages are already installed."
  exit 0
fi

echo "install-deps: installing ${#missing[@]} Debian packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  SUDO=()
elif command -v sudo >/dev/null 2>&1; then
  SUDO=(sudo)
else
  echo "install-deps: need root or sudo to install: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
echo "install-deps: done."
