#!/usr/bin/env bash
# Installs what is missing, builds into build/ and runs every test with CTest.
# Then builds the core once more with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ and runs the core, end-to-end and fuzz-replay tests there (skip with MIRVO_SKIP_SANITIZE=1).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j 2
status=0
ctest --test-dir build -j 2 --output-on-failure || status=1

if [[ "${MIRVO_SKIP_SANITIZE:-0}" != "1" ]]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMIRVO_SANITIZE=ON \
        -DMIRVO_BUILD_GUI=OFF -DMIRVO_BUILD_BENCH=OFF
  cmake --build build-asan -j 2
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan -j 2 --output-on-failure || status=1
fi
exit $status
