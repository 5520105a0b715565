#!/usr/bin/env bash
# Builds the browser's replay viewer into the ranking server's web root,
# BUILD_DIR/game/web/ (served under /static/): the
# game's rules as WebAssembly (Debian's emcc), the viewer's modules and style,
# three.js from web/node_modules (pinned in web/package-lock.json), and the
# models and textures it draws with, copied from BUILD_DIR/game/dat.
#   scripts/build-web.sh BUILD_DIR
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:?usage: scripts/build-web.sh BUILD_DIR}"
BUILD="$(cd "$BUILD" && pwd)"
STATIC="$BUILD/game/web"
WORK="$BUILD/web-wasm"
mkdir -p "$STATIC/three" "$STATIC/models" "$WORK"

# Debian's emcc runs its JS optimizer with the Debian node modules.
export NODE_PATH=/usr/share/nodejs
export EM_CACHE="${EM_CACHE:-}"
[ -n "$EM_CACHE" ] || unset EM_CACHE

# The rules and the replay format, without the zip reader: the page unzips.
SOURCES=(
  "$ROOT"/src/rules/*.cpp
  "$ROOT"/src/replay/CRecordedKeys.cpp "$ROOT"/src/replay/ReplayArchiveCheck.cpp
  "$ROOT"/src/replay/ReplayFormat.cpp "$ROOT"/src/replay/ReplayGame.cpp "$ROOT"/src/replay/ReplayScan.cpp
  "$ROOT"/src/util/Assert.cpp "$ROOT"/src/util/CRandom.cpp "$ROOT"/src/util/CCompactLog.cpp
  "$ROOT"/src/input/GameKey.cpp
  "$ROOT"/web/wasm/RulesBinding.cpp
)
# One object per source, rebuilt only when it is older than its source or
# than any header (cheap enough to compare against all of them).
NEWEST_HEADER="$(find "$ROOT/src/rules" "$ROOT/src/replay" "$ROOT/src/util" "$ROOT/src/input" \
  "$ROOT/src/text/LevelNumber.h" -name '*.h' \
  -printf '%T@ %p\n' | sort -n | tail -1 | cut -d' ' -f2)"
OBJECTS=()
for src in "${SOURCES[@]}"; do
  obj="$WORK/$(basename "$(dirname "$src")")_$(basename "$src" .cpp).o"
  OBJECTS+=("$obj")
  if [ ! -f "$obj" ] || [ "$src" -nt "$obj" ] || [ "$NEWEST_HEADER" -nt "$obj" ]; then
    emcc -std=c++20 -O2 -fexceptions -I"$ROOT/src" -c "$src" -o "$obj"
  fi
done
# An ES module exporting its factory; no eval (the page's CSP allows only
# WebAssembly compilation), exceptions caught (a damaged archive is an error
# message, not an abort).
emcc -O2 -fexceptions --bind "${OBJECTS[@]}" -o "$STATIC/rules.js" \
  -sMODULARIZE=1 -sEXPORT_ES6=1 -sEXPORT_NAME=createRules -sENVIRONMENT=web \
  -sDYNAMIC_EXECUTION=0 -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=33554432 -sFILESYSTEM=0

cp "$ROOT"/web/viewer/*.js "$ROOT"/web/viewer/viewer.css "$STATIC/"
THREE="$ROOT/web/node_modules/three/build"
if [ ! -f "$THREE/three.module.js" ]; then
  (cd "$ROOT/web" && npm ci --no-audit --no-fund)
fi
cp "$THREE/three.module.js" "$THREE/three.core.js" "$STATIC/three/"
cp "$ROOT/web/node_modules/three/LICENSE" "$STATIC/three/LICENSE"

DAT="$BUILD/game/dat"
for f in "$DAT"/plimo_*.mqo "$DAT"/renga.mqo "$DAT"/shibafu.mqo "$DAT"/renga.png; do
  if [ -f "$f" ]; then cp "$f" "$STATIC/models/"; fi
done
echo "build-web: $STATIC"
