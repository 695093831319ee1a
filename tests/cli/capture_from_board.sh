#!/usr/bin/env bash
# The real serial path end to end: the board simulator writes records into a pseudo-terminal, the
# headless capture reads it until told to stop, and every record must be counted in the table and
# stand in its candump log.
#   tests/cli/capture_from_board.sh path/to/vexmoor path/to/vexmoor-board
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

# A port that cannot be opened: its reason on standard error, exit status 2, no table.
status=0
"$vexmoor" --capture "$work/no-such-port" --seconds 1 --csv "$work/none.csv" 2>"$work/refused.err" || status=$?
if [ "$status" != 2 ] || ! grep -q "Invalid Port: Cannot open $work/no-such-port" "$work/refused.err" \
    || [ -e "$work/none.csv" ]; then
    echo "a port that cannot be opened gave status $status: $(cat "$work/refused.err")" >&2
    exit 1
fi

records=4000
"$board" --baud 0 --records "$records" --ids 300 --change 0.3 --seed 9 --link "$work/board" \
    >/dev/null 2>"$work/board.err" &
board_pid=$!
pids+=("$board_pid")
for _ in $(seq 1 500); do [ -e "$work/board" ] && break; sleep 0.01; done

"$vexmoor" --capture "$work/board" --min-id 0 --csv "$work/table.csv" --log "$work/capture.log" 2>"$work/capture.err" &
capture_pid=$!
pids+=("$capture_pid")

# The board ends once the capture has taken every byte, and its line goes with it: the capture sees
# the device gone, writes the table and says why it ended.
wait "$board_pid" || { echo "the board failed: $(cat "$work/board.err")" >&2; exit 1; }
status=0
timeout 20 tail --pid="$capture_pid" -f /dev/null || { echo "the capture went on without its board" >&2; exit 1; }
wait "$capture_pid" || status=$?
gone="vexmoor: Disconnected: $work/board went away (the device was removed)"
if [ "$status" != 3 ] || ! grep -qxF "$gone" "$work/capture.err"; then
    echo "a board gone gave status $status: $(cat "$work/capture.err")" >&2
    exit 1
fi

python3 - "$work/table.csv" "$records" "$work/capture.log" <<'PY'
import csv, re, sys
with open(sys.argv[1], newline="", encoding="utf-8") as table:
    rows = list(csv.reader(table))
assert rows[0][2] == "Msg Count", rows[0]
counted = sum(int(row[2]) for row in rows[1:])
if counted != int(sys.argv[2]):
    sys.exit("the table counts %d records of %s sent" % (counted, sys.argv[2]))
print("all %d records counted in %d rows" % (counted, len(rows) - 1))

line_shape = re.compile(r"\(\d{10}\.\d{6}\) board [0-9A-F]{3}#([0-9A-F]{2})*\n")
with open(sys.argv[3], encoding="ascii") as log:
    lines = log.readlines()
bad = [line for line in lines if not line_shape.fullmatch(line)]
if bad or len(lines) != counted:
    sys.exit("the log holds %d lines for %d records; not candump -L: %r" % (len(lines), counted, bad[:3]))
print("all %d records logged" % len(lines))
PY
