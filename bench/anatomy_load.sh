#!/usr/bin/env bash
# The headless anatomy of two 1,000,000-frame candump logs: the Civic capture of ../shared/testdata
# repeated until it holds a million frames (real counters, checksums and values; skipped without
# ../shared), and a generated drive of 151 identifiers. Prints wall seconds and peak memory of each,
# best of three runs, and the scores of the proposals against the DBC files of ../shared/testdata/dbc.
#   bench/anatomy_load.sh BUILD_DIR     (a Release build, e.g. build/release)
set -euo pipefail
# --help and -h answer with the lines above.
case ${1:-} in -h | --help) sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0" && exit 0 ;; esac

build=${1:?usage: $0 BUILD_DIR}
frames=${FRAMES:-1000000}
testdata=$(cd "$(dirname "$0")/../.." && pwd)/shared/testdata
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# shellcheck source=bench/best_of_three.sh
. "$(dirname "$0")/best_of_three.sh"
WIDTH=40

"$build/tools/vexmoor-board-stream" --candump "$frames" 151 5 >"$work/generated.log"
best_of_three "--anatomy, generated ($frames frames)" "$build/src/app/vexmoor" --anatomy "$work/generated.log"

civic=$testdata/honda_civic_type_r_turnonanddrive.log
if [ -f "$civic" ]; then
    : >"$work/civic.log"
    while [ "$(wc -l <"$work/civic.log")" -lt "$frames" ]; do cat "$civic" >>"$work/civic.log"; done
    head -n "$frames" "$work/civic.log" >"$work/civic1m.log"
    best_of_three "--anatomy, Civic repeated ($frames frames)" "$build/src/app/vexmoor" --anatomy "$work/civic1m.log"
    echo
    echo "Civic capture against the Honda DBC:"
    "$build/bench/vexmoor-anatomy-score" "$civic" "$testdata/dbc/honda_civic_hatchback_ex_2017_can_generated.dbc"
    echo "Durango capture against the Chrysler DBC:"
    "$build/bench/vexmoor-anatomy-score" "$testdata/dodge_durango_engineon.log" "$testdata/dbc/chrysler_cusw.dbc"
else
    echo "no $testdata: the real captures and their scores are skipped"
fi
