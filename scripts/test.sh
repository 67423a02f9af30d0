#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs
# every test (unit, fuzz-corpus replays, integration).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${QV_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_WERROR=ON
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
