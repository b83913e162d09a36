#!/usr/bin/env bash
# Builds the Debian package of Mirvo-PSD into build/ (Release, Ninja, 2 jobs) and prints its path.
#   scripts/build-deb.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
scripts/install-deps.sh
[[ -f "$build/CMakeCache.txt" ]] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j 2
cmake --build "$build" --target package
ls -1 "$build"/mirvo-psd_*.deb
