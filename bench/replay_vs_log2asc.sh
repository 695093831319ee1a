#!/usr/bin/env bash
# The headless replay of a 1,000,000-frame candump log to CSV, beside can-utils' log2asc reading the
# same file (Debian's can-utils; skipped when it is not installed), and the board-text replay of the
# same frames. Prints wall seconds and peak memory of each, best of three runs. FD=1 makes the log of
# CAN FD frames of 64 bytes, which the board's text cannot carry.
#   bench/replay_vs_log2asc.sh BUILD_DIR     (a Release build, e.g. build/bench)
set -euo pipefail
# --help and -h answer with the lines above.
case ${1:-} in -h | --help) sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0" && exit 0 ;; esac

build=${1:?usage: $0 BUILD_DIR}
frames=${FRAMES:-1000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fd=${FD:-0}
"$build/tools/vexmoor-board-stream" "$([ "$fd" = 1 ] && echo --candump-fd || echo --candump)" "$frames" 151 5 \
    >"$work/drive.log"
[ "$fd" = 1 ] || "$build/tools/vexmoor-board-stream" "$frames" 151 5 >"$work/drive.txt"

# shellcheck source=bench/best_of_three.sh
. "$(dirname "$0")/best_of_three.sh"

echo "$frames frames, $(du -m "$work/drive.log" | cut -f1) MB of candump log"
best_of_three "vexmoor --replay (candump log)" "$build/src/app/vexmoor" --replay "$work/drive.log" --csv "$work/a.csv"
[ "$fd" = 1 ] ||
    best_of_three "vexmoor --replay (board text)" "$build/src/app/vexmoor" --replay "$work/drive.txt" --csv "$work/b.csv"
if command -v log2asc >/dev/null 2>&1; then
    best_of_three "log2asc (can-utils)" log2asc -I "$work/drive.log" -O "$work/drive.asc" can0
else
    echo "log2asc not installed (Debian: can-utils): no comparison"
fi
