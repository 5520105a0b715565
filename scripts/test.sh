#!/usr/bin/env bash
# Builds PlimoBall and runs every test: the unit tests, the same tests built
# with AddressSanitizer + UndefinedBehaviorSanitizer, the rules and concurrent
# checks with ThreadSanitizer, the fuzz targets (clang
# and libFuzzer, a fixed number of inputs each), and the window tests (the
# real game, offscreen and under Xvfb). Ends with ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

JOBS="${JOBS:-$(nproc)}"
export CTEST_OUTPUT_ON_FAILURE=1

echo "== Sanitizer build (ASan + UBSan): unit tests"
cmake -DPLIMO_WERROR=ON -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPLIMO_SANITIZE=ON -DPLIMO_WITH_SDL=OFF \
  -DPLIMO_BENCH=OFF -DPLIMO_DATA=OFF >/dev/null
ninja -C build-asan -j "$JOBS" plimo_tests
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
ctest --test-dir build-asan -L unit -j "$JOBS" --timeout 300
unset ASAN_OPTIONS UBSAN_OPTIONS

echo "== ThreadSanitizer build: the rules and concurrent replay checks"
cmake -DPLIMO_WERROR=ON -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLIMO_TSAN=ON -DPLIMO_RULES_ONLY=ON \
  -DPLIMO_WITH_SDL=OFF -DPLIMO_BENCH=OFF -DPLIMO_DATA=OFF >/dev/null
ninja -C build-tsan -j "$JOBS" plimo_rules_tests
TSAN_OPTIONS="halt_on_error=1" ctest --test-dir build-tsan -L unit -j "$JOBS" --timeout 300

echo "== Fuzz build (clang, libFuzzer + ASan + UBSan): every reader of outside data"
cmake -DPLIMO_WERROR=ON -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DPLIMO_FUZZ=ON -DPLIMO_TESTS=OFF -DPLIMO_WITH_SDL=OFF -DPLIMO_BENCH=OFF \
  -DPLIMO_DATA=OFF >/dev/null
ninja -C build-fuzz -j "$JOBS" plimo_fuzzers
ctest --test-dir build-fuzz -L fuzz -j "$JOBS" --timeout 300

echo "== Replay viewer for the browser: pinned npm packages, WebAssembly, the watch page"
(cd web && npm ci --no-audit --no-fund)

echo "== Release build: unit tests, window tests and browser tests"
cmake -DPLIMO_WERROR=ON -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLIMO_TESTS=ON -DPLIMO_BENCH=ON >/dev/null
ninja -C build -j "$JOBS"
# The CMake build runs it when emcc is found; here it must run in any case.
scripts/build-web.sh build
ctest --test-dir build -j "$JOBS" --timeout 300
