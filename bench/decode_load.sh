#!/usr/bin/env bash
# The headless decoding of a 1,000,000-frame candump log with a 100-signal DBC (ten messages of ten
# signals, on identifiers of the log), beside the same replay without decoding. Prints the median wall
# seconds and peak memory of five runs of each, and how many values were written.
#   bench/decode_load.sh BUILD_DIR     (a Release build, e.g. build/bench)
set -euo pipefail
# --help and -h answer with the lines above.
case ${1:-} in -h | --help) sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0" && exit 0 ;; esac

build=${1:?usage: $0 BUILD_DIR}
frames=${FRAMES:-1000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/tools/vexmoor-board-stream" --candump "$frames" 151 5 >"$work/drive.log"

# Ten identifiers of the log, each a message of ten signals.
"$(dirname "$0")/ten_signals_each.sh" $(awk '{ split($3, part, "#"); if (!(part[1] in seen)) { seen[part[1]] = 1; print part[1] } }' \
    "$work/drive.log" | head -n 10) >"$work/hundred.dbc"

median_of_five() {
    local label=$1 runs wall peak
    shift
    runs=$(for _ in 1 2 3 4 5; do /usr/bin/time -f '%e %M' "$@" 2>&1 >/dev/null | tail -n 1; done)
    wall=$(echo "$runs" | awk '{print $1}' | sort -n | sed -n 3p)
    peak=$(echo "$runs" | awk '{print $2}' | sort -n | sed -n 3p)
    awk -v label="$label" -v wall="$wall" -v peak="$peak" \
        'BEGIN {printf "%-36s %6.2f s  %6.1f MB peak (medians of 5)\n", label, wall, peak / 1024}'
}

"$build/src/app/vexmoor" --dbc "$work/hundred.dbc"
echo "$frames frames, $(du -m "$work/drive.log" | cut -f1) MB of candump log"
median_of_five "vexmoor --replay" "$build/src/app/vexmoor" --replay "$work/drive.log" --csv /dev/null
median_of_five "vexmoor --replay --dbc --decode" "$build/src/app/vexmoor" --replay "$work/drive.log" --csv /dev/null \
    --dbc "$work/hundred.dbc" --decode "$work/decoded.csv"
echo "$(($(wc -l <"$work/decoded.csv") - 1)) values decoded, $(du -m "$work/decoded.csv" | cut -f1) MB of CSV"
