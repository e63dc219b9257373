#!/bin/bash
# The resident memory of an unattended recorder over a long run:
# kelvanor-kiss-server replays the sample pass in a loop at RATE frames a
# second to kelvanor-cli --connect for SECONDS, and the client's resident set
# size is read every STEP seconds.
#
#   bench/live_soak.sh [BUILD [SECONDS [RATE [STEP]]]]    (defaults: build 600 200 30)
#
# Prints one line per reading ("<seconds> <VmRSS kB>"), then the peak
# (VmHWM), the arrivals received and the recording's size.
set -eu
build=${1:-build}
seconds=${2:-600}
rate=${3:-200}
step=${4:-30}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
server_pid=
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

"$build/bin/kelvanor-kiss-server" --port 0 --rate "$rate" --loop \
    "$root/samples/2020-11-29_kelvanor.kss" >"$work/server.out" 2>/dev/null &
server_pid=$!
for _ in $(seq 50); do
    grep -q '^listening on ' "$work/server.out" && break
    sleep 0.1
done
port=$(sed -n 's/^listening on .*:\([0-9]*\)$/\1/p' "$work/server.out")

"$build/bin/kelvanor-cli" --connect "127.0.0.1:$port" --for "$seconds" \
    --record-dir "$work" >"$work/arrivals.txt" 2>&1 &
client_pid=$!
elapsed=0
while kill -0 "$client_pid" 2>/dev/null; do
    sleep "$step"
    elapsed=$((elapsed + step))
    rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$client_pid/status" 2>/dev/null) || break
    peak=$(awk '/^VmHWM:/ {print $2}' "/proc/$client_pid/status" 2>/dev/null) || break
    [ -n "$rss" ] && echo "$elapsed $rss"
done
wait "$client_pid" || true
echo "peak ${peak:-?} kB"
echo "arrivals $(wc -l <"$work/arrivals.txt"), beacons $(grep -c 'beacon #' "$work/arrivals.txt" || true)"
echo "recording $(cat "$work"/*_kelvanor.kss | wc -c) bytes"
