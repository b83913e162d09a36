#!/usr/bin/env bash
# Installs what is missing, builds into build/ and runs every test with CTest.
# Then two sanitizer builds (skip both with MIRVO_SKIP_SANITIZE=1):
#   build-asan/  AddressSanitizer + UndefinedBehaviorSanitizer, the GUI included (no benchmarks): every
#                test, the GUI tests on the offscreen platform;
#   build-tsan/  ThreadSanitizer, no GUI and no benchmarks: the core, end-to-end and cli tests (the
#                serial listener thread and the simulator's thread against the tests' own).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j 2
status=0
ctest --test-dir build -j 2 --output-on-failure || status=1

if [[ "${MIRVO_SKIP_SANITIZE:-0}" != "1" ]]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMIRVO_SANITIZE=ON \
        -DMIRVO_BUILD_GUI=ON -DMIRVO_BUILD_BENCH=OFF
  cmake --build build-asan -j 2
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan -j 2 --output-on-failure || status=1

  cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMIRVO_TSAN=ON \
        -DMIRVO_BUILD_GUI=OFF -DMIRVO_BUILD_BENCH=OFF
  cmake --build build-tsan -j 2
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --test-dir build-tsan -j 2 -L '^(core|e2e|cli)$' --output-on-failure || status=1
fi
exit $status
