#!/usr/bin/env bash
# start: makes a fresh wine prefix with a server that stays up for the tests
# that follow (one server start instead of one per test program); stop: ends
# that server. WINEPREFIX and the other settings come from CTest.
set -euo pipefail
action=$1 wine=$2 prefix=$3
server=$(dirname "$wine")/wineserver
stop() {
  "$server" -k 2>/dev/null || true
  "$server" -w 2>/dev/null || true
}
case $action in
  start)
    stop
    rm -rf "$prefix"
    mkdir -p "$prefix"
    # Its own output: CTest waits for whatever holds the test's pipes open.
    "$server" -p </dev/null >/dev/null 2>&1
    timeout 100 "$wine" wineboot --init >"$prefix.log" 2>&1 || { cat "$prefix.log"; exit 1; }
    ;;
  stop)
    stop
    ;;
esac
