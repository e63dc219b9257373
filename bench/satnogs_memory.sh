#!/bin/bash
# The peak resident memory of kelvanor-cli importing a SatNOGS log of many
# short lines with LF line ends (so it is also copied with CR LF in memory):
# MEGABYTES of alternating two-byte lines.
#
#   bench/satnogs_memory.sh [BUILD [MEGABYTES]]    (defaults: build 300)
set -eu
build=${1:-build}
megabytes=${2:-300}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
log="$work/short-lines.csv"
head -c $((megabytes * 1024 * 1024)) < <(yes $'a\nb') >"$log" || true
size=$(stat -c %s "$log")
/usr/bin/time -f '%M %e' -o "$work/time.txt" "$build/bin/kelvanor-cli" --locale C --log "$log" >/dev/null
read -r peak seconds <"$work/time.txt"
echo "log $size bytes, peak RSS $peak kB ($(awk "BEGIN {printf \"%.2f\", $peak * 1024 / $size}") x the log), $seconds s"
