#!/usr/bin/env bash
# The main window at full bus load: the board simulator writes about 10,000 records a second over
# 2,048 identifiers into a pseudo-terminal for 20 seconds while the window reads it.
#   bench/window_load.sh BUILD_DIR     (a Release build, e.g. build/release)
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR}
seconds=${SECONDS_OF_LOAD:-20}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

# About 37.7 bytes a record at 10 bits a byte.
"$build/tools/board/vexmoor-board" --baud 3770000 --seconds "$seconds" --records 100000000 --ids 2048 \
    --change 0.1 --seed 5 --delay 1 --link "$work/board" >/dev/null 2>"$work/board.err" &
board_pid=$!
for _ in $(seq 1 500); do [ -e "$work/board" ] && break; sleep 0.01; done

QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bench/vexmoor-window-load" "$work/board" "$((seconds + 3))" \
    >"$work/window.out" &
window_pid=$!
wait "$board_pid"
wait "$window_pid"
cat "$work/board.err" "$work/window.out"
