#!/usr/bin/env bash
# Installs what is missing, builds, and starts the test console with a demo
# user and a simulated call every 30 seconds. Ctrl+C stops it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${QV_BUILD_DIR:-build}
port=${QV_DEMO_PORT:-8080}
user=demo
password=demo
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target quorvia-console quorvia-reg

console="$build/testconsole/quorvia-console"
log=$(mktemp -t quorvia-console.XXXXXX.log)
"$console" --listen "127.0.0.1:$port" --user "$user:$password" --calls-every 30 2>"$log" &
pid=$!
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null; rm -f "$log"' EXIT INT TERM
for _ in $(seq 50); do
    curl -fs -o /dev/null "http://127.0.0.1:$port/sim/state" && break
    kill -0 $pid 2>/dev/null || { cat "$log" >&2; exit 1; }
    sleep 0.1
done

cat <<INFO

Test console running at http://127.0.0.1:$port/app-main.asp?app=3
  user name: $user
  password:  $password
A simulated call arrives every 30 seconds; place one yourself with
  curl -X POST 'http://127.0.0.1:$port/sim/call?row1=0301234567&row2=Call'
Console log: $log   (Ctrl+C stops the console)
INFO
wait $pid
