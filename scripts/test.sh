#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs
# every test (unit, fuzz-corpus replays, integration): the dev preset, build/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset dev
cmake --build --preset dev
ctest --preset dev -j"$(nproc)"
