#!/bin/sh
# The executable's contract with scripts: the first stdout line names the
# address, bad options exit 2, SIGTERM stops it cleanly.
set -u
console="$1"
fail() { echo "FAIL: $*"; exit 1; }

# Which command lines are refused is the option parser's test.
"$console" --listen 192.0.2.1:0 --user a:b 2>/dev/null
[ $? -eq 2 ] || fail "a refused command line must exit 2"
"$console" --help | grep -q -- "--fail-rate" || fail "--help lists the options"

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkfifo "$dir/out"
"$console" --listen 127.0.0.1:0 --user a:b --quiet >"$dir/out" &
pid=$!
read -r line <"$dir/out" || fail "no first line"
case "$line" in
"listening on http://127.0.0.1:"*/) ;;
*) kill "$pid"; fail "unexpected first line: $line" ;;
esac
kill -TERM "$pid"
wait "$pid"
[ $? -eq 0 ] || fail "SIGTERM must end it with status 0"
echo "ok"
