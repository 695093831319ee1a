#!/usr/bin/env bash
# An slcan adapter end to end: the board simulator stands in for the adapter on a pseudo-terminal,
# the headless capture opens it listen-only and reads its frames until the adapter goes away. Every
# frame must be counted in the table and stand in the candump log with the adapter's time.
#   tests/cli/capture_from_slcan.sh path/to/vexmoor path/to/vexmoor-board
set -euo pipefail

vexmoor=${1:?usage: $0 vexmoor vexmoor-board}
board=${2:?usage: $0 vexmoor vexmoor-board}
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

start_adapter() {
    "$board" --protocol slcan "$@" --link "$work/adapter" >/dev/null 2>"$work/adapter.err" &
    adapter_pid=$!
    pids+=("$adapter_pid")
    for _ in $(seq 1 500); do [ -e "$work/adapter" ] && break; sleep 0.01; done
}

# A bad address is refused before anything is opened.
status=0
"$vexmoor" --capture "slcan:$work/adapter@83k" --seconds 1 2>"$work/address.err" || status=$?
if [ "$status" != 2 ] || ! grep -q "83k" "$work/address.err"; then
    echo "a bad bit rate gave status $status: $(cat "$work/address.err")" >&2
    exit 1
fi

records=3000
start_adapter --baud 500000 --records "$records" --ids 200 --change 0.3 --seed 4 --clock-start 59500
"$vexmoor" --capture "slcan:$work/adapter@250k" --min-id 0 --csv "$work/table.csv" --log "$work/capture.log" \
    2>"$work/capture.err" &
capture_pid=$!
pids+=("$capture_pid")

# The adapter ends once every frame is out, and takes its line with it.
wait "$adapter_pid" || { echo "the adapter failed: $(cat "$work/adapter.err")" >&2; exit 1; }
timeout 20 tail --pid="$capture_pid" -f /dev/null || { echo "the capture went on without its adapter" >&2; exit 1; }
status=0
wait "$capture_pid" || status=$?
gone="vexmoor: Disconnected: $work/adapter went away (the device was removed)"
if [ "$status" != 3 ] || ! grep -qxF "$gone" "$work/capture.err"; then
    echo "an adapter gone gave status $status: $(cat "$work/capture.err")" >&2
    exit 1
fi

python3 - "$work/table.csv" "$records" "$work/capture.log" <<'PY'
import csv, re, sys
with open(sys.argv[1], newline="", encoding="utf-8") as table:
    rows = list(csv.reader(table))
counted = sum(int(row[2]) for row in rows[1:])
if counted != int(sys.argv[2]):
    sys.exit("the table counts %d frames of %s sent" % (counted, sys.argv[2]))
line_shape = re.compile(r"\((\d{10}\.\d{6})\) slcan0 [0-9A-F]{3}#([0-9A-F]{2})*\n")
with open(sys.argv[3], encoding="ascii") as log:
    lines = log.readlines()
bad = [line for line in lines if not line_shape.fullmatch(line)]
if bad or len(lines) != counted:
    sys.exit("the log holds %d lines for %d frames: %r" % (len(lines), counted, bad[:3]))
times = [float(line_shape.fullmatch(line).group(1)) for line in lines]
if any(later < earlier for earlier, later in zip(times, times[1:])):
    sys.exit("the adapter's clock ran backwards in the log across its wrap")
print("all %d frames counted and logged" % counted)
PY

# An adapter that refuses listen-only is opened normally.
start_adapter --baud 0 --records 10 --no-listen-only
"$vexmoor" --capture "slcan:$work/adapter" --min-id 0 --csv "$work/normal.csv" 2>"$work/normal.err" || true
wait "$adapter_pid" || true
counted=$(python3 -c 'import csv, sys; print(sum(int(row[2]) for row in list(csv.reader(open(sys.argv[1])))[1:]))' \
    "$work/normal.csv")
if [ "$counted" != 10 ]; then
    echo "an adapter without listen-only gave: $(cat "$work/normal.err")" >&2
    exit 1
fi
echo "an adapter without listen-only was opened normally"
