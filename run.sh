#!/usr/bin/env bash
# Installs what is missing, builds (Release, Ninja, 2 jobs) into build/ and starts Mirvo-PSD.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j 2
# A simulated instrument (kvetral-sim, serial 1) runs beside the program and ends with it, so the
# program can be tried without hardware; ./run.sh --no-sim starts the program alone.
if [[ "${1:-}" == "--no-sim" ]]; then
  shift
  exec build/bin/mirvo-psd "$@"
fi
build/bin/kvetral-sim &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true' EXIT
ports="${XDG_RUNTIME_DIR:+$XDG_RUNTIME_DIR/mirvo-psd/ports}"
ports="${ports:-/tmp/mirvo-psd-$(id -u)/ports}"
for _ in $(seq 50); do  # up to 5 s for its port link, so AutoConnect finds it at once
  if [[ -e "$ports/ttyKV1" ]] || ! kill -0 "$sim_pid" 2>/dev/null; then break; fi
  sleep 0.1
done
build/bin/mirvo-psd "$@"
