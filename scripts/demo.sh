#!/usr/bin/env bash
# Installs what is missing, builds, and runs Quorvia Browser against the test
# console with a demo user: a call raises its window, a second call shows a
# notification, then a simulated call comes every 20 seconds. Ctrl+C or
# closing the terminal stops it and everything it started.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${QV_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target quorvia quorvia-console quorvia-reg
exec python3 scripts/run_demo.py --build "$build" "$@"
