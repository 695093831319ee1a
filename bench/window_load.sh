#!/usr/bin/env bash
# The main window at full bus load: the board simulator writes about 10,000 records a second over
# 2,048 identifiers into a pseudo-terminal for 20 seconds while the window reads it. SOURCE=virtualcan
# puts 10,000 frames a second on a virtual CAN bus instead, which the window reads through Qt Serial Bus.
# SIGNALS=100 opens a DBC file of ten messages of ten signals on identifiers of the load, with the
# Signals dock shown. FD=1 (with SOURCE=virtualcan) sends CAN FD frames of 64 bytes, RATE=5000 a
# second (10000 by default); CANDIDATES=1 shows the Candidates panel and takes a mark every 2 s.
# BUSES=2 (with SOURCE=virtualcan) adds a second virtual bus on the next port beside the first, each at
# RATE frames a second, with a row per bus.
#   bench/window_load.sh BUILD_DIR     (a Release build, e.g. build/release)
set -euo pipefail
# --help and -h answer with the lines above.
case ${1:-} in -h | --help) sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0" && exit 0 ;; esac

build=${1:?usage: $0 BUILD_DIR}
seconds=${SECONDS_OF_LOAD:-20}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

dbc=()
if [ "${SIGNALS:-0}" = 100 ]; then
    # Identifiers 100 to 109 (256 to 265), each a message of ten signals.
    "$(dirname "$0")/ten_signals_each.sh" $(seq 256 265 | xargs printf '%X ') >"$work/hundred.dbc"
    dbc=("$work/hundred.dbc")
fi

if [ "${SOURCE:-board}" = virtualcan ]; then
    port=${PORT:-35470}
    url="tcp://127.0.0.1:$port/can0"
    fd=$([ "${FD:-0}" = 1 ] && echo @fd || true)
    "$build/bench/vexmoor-canbus-send" "$url" "${RATE:-10000}" "$seconds" 2048 2 2>"$work/sender.err" &
    sender_pid=$!
    second_pid=
    if [ "${BUSES:-1}" = 2 ]; then
        second="tcp://127.0.0.1:$((port + 1))/can1"
        "$build/bench/vexmoor-canbus-send" "$second" "${RATE:-10000}" "$seconds" 2048 2 2>"$work/second.err" &
        second_pid=$!
        export ROWS_PER_BUS=1 SECOND_SOURCE="virtualcan:$second$fd"
    fi
    sleep 1
    QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bench/vexmoor-window-load" \
        "virtualcan:$url$fd" \
        "$((seconds + 3))" "${dbc[@]}" >"$work/window.out" &
    window_pid=$!
    wait "$sender_pid"
    [ -z "$second_pid" ] || wait "$second_pid"
    wait "$window_pid"
    cat "$work/sender.err" "$work/second.err" "$work/window.out" 2>/dev/null
    exit 0
fi

# About 37.7 bytes a record at 10 bits a byte.
"$build/tools/board/vexmoor-board" --baud 3770000 --seconds "$seconds" --records 100000000 --ids 2048 \
    --change 0.1 --seed 5 --delay 1 --link "$work/board" >/dev/null 2>"$work/board.err" &
board_pid=$!
for _ in $(seq 1 500); do [ -e "$work/board" ] && break; sleep 0.01; done

QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bench/vexmoor-window-load" "$work/board" "$((seconds + 3))" \
    "${dbc[@]}" >"$work/window.out" &
window_pid=$!
wait "$board_pid"
wait "$window_pid"
cat "$work/board.err" "$work/window.out"
