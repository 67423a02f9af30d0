#!/usr/bin/env bash
# Installs what is missing, builds, and runs Quorvia Browser against the test
# console with a demo user: a call raises its window, a second call shows a
# notification, then a simulated call comes every 20 seconds. Ctrl+C or
# closing the terminal stops it and everything it started.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev --target quorvia quorvia-console quorvia-reg
exec python3 scripts/run_demo.py --build build "$@"
