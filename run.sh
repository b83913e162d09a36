#!/usr/bin/env bash
# Installs what is missing, builds (Release, Ninja, 2 jobs) into build/ and starts Mirvo-PSD.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j 2
exec build/bin/mirvo-psd "$@"
