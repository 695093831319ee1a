#!/usr/bin/env bash
# Headless capture under a fully loaded line: the board simulator writes at 2,000,000 baud (about
# 7,000 records a second) for 10 seconds; every record must reach the table, and the capture's CPU
# use (user + system over wall time) is reported. BAUD=3000000 gives about 10,000 records a second;
# LOG=1 makes the capture record a candump log as well, to see what logging costs. PROTOCOL=slcan
# makes the simulator an slcan adapter (frame lines instead of records) and the capture open it.
#   bench/capture_load.sh BUILD_DIR     (a Release build, e.g. build/release)
set -euo pipefail
# --help and -h answer with the lines above.
case ${1:-} in -h | --help) sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0" && exit 0 ;; esac

build=${1:?usage: $0 BUILD_DIR}
seconds=${SECONDS_OF_LOAD:-10}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

protocol=${PROTOCOL:-board}
source="$work/board"
[ "$protocol" = slcan ] && source="slcan:$work/board"
"$build/tools/board/vexmoor-board" --protocol "$protocol" --baud "${BAUD:-2000000}" --seconds "$seconds" \
    --records 100000000 --ids 500 --change 0.25 --seed 3 --delay 0.5 --link "$work/board" \
    >/dev/null 2>"$work/board.err" &
board_pid=$!
for _ in $(seq 1 500); do [ -e "$work/board" ] && break; sleep 0.01; done

/usr/bin/time -f '%U %S %e' -o "$work/time" \
    "$build/src/app/vexmoor" --capture "$source" --min-id 0 --csv "$work/table.csv" \
    ${LOG:+--log "$work/drive.log"} &
capture_pid=$!
wait "$board_pid"
# The simulator's line goes with it, and the capture ends on its own (status 3); a stop goes to the
# capture itself, under time(1), in case it has not yet.
pkill -TERM -P "$capture_pid" || true
wait "$capture_pid" || true

sent=$(sed -n 's/.*wrote \([0-9]*\) \(records\|frames\).*/\1/p' "$work/board.err")
python3 - "$work/table.csv" "$sent" "$work/time" <<'PY'
import csv, sys
with open(sys.argv[1], newline="", encoding="utf-8") as table:
    rows = list(csv.reader(table))[1:]
counted = sum(int(row[2]) for row in rows)
user, system, wall = (float(x) for x in open(sys.argv[3]).read().splitlines()[-1].split())
print("records sent %s, counted %d in %d rows: %s" % (sys.argv[2], counted, len(rows),
      "all" if counted == int(sys.argv[2]) else "MISSING %d" % (int(sys.argv[2]) - counted)))
print("capture CPU: user %.2f s + system %.2f s over %.2f s wall = %.1f%% of one core"
      % (user, system, wall, 100 * (user + system) / wall))
PY
if [ -n "${LOG:-}" ]; then
    echo "frames logged: $(wc -l <"$work/drive.log")"
fi
