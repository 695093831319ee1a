#!/usr/bin/env bash
# Checks vexmoor-board end to end through a real pseudo-terminal, the way Vexmoor meets it.
#   tools/board/test_board.sh path/to/vexmoor-board
set -euo pipefail

board=${1:?usage: $0 path/to/vexmoor-board}
work=$(mktemp -d)
board_pid=
cleanup() {
    if [ -n "$board_pid" ] && kill -0 "$board_pid" 2>/dev/null; then
        kill "$board_pid" 2>/dev/null || true
        wait "$board_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Reads the line at $1 until the board closes it (EIO on the slave), with a deadline so that a board
# that never finishes fails the test instead of hanging it, and prints: startup-lines records bad-lines.
read_line() {
    python3 - "$1" <<'PY'
import errno, os, re, select, sys, time

path = sys.argv[1]
deadline = time.monotonic() + 30
while not os.path.exists(path):
    if time.monotonic() > deadline:
        sys.exit("the link never appeared")
    time.sleep(0.01)
fd = os.open(path, os.O_RDONLY | os.O_NOCTTY)
data = bytearray()
while True:
    left = deadline - time.monotonic()
    if left <= 0:
        sys.exit("the board did not close the line in time")
    if not select.select([fd], [], [], left)[0]:
        continue
    try:
        chunk = os.read(fd, 65536)
    except OSError as error:
        if error.errno == errno.EIO:  # the master side is closed: the board is done
            break
        raise
    if not chunk:
        break
    data += chunk

lines = data.split(b"\r\n")
if lines[-1] != b"":
    sys.exit("the stream does not end in CR LF: %r" % bytes(lines[-1][-40:]))
lines = lines[:-1]
startup = sum(1 for line in lines if line == b"CAN BUS Shield init ok!")
record = re.compile(rb"<([0-9]{1,4}),(?:[0-9]{1,3},){8}>")
records = [line for line in lines if record.fullmatch(line)]
bad = len(lines) - startup - len(records)
first_is_startup = 1 if lines and lines[0] == b"CAN BUS Shield init ok!" else 0
print(first_is_startup, startup, len(records), bad)
PY
}

# A generated stream larger than the pseudo-terminal's buffer, so the board must wait for the reader
# and then for the last bytes to be taken before it closes the line.
records=20000
"$board" --baud 0 --records "$records" --ids 200 --seed 7 --link "$work/board" >"$work/stdout" 2>"$work/stderr" &
board_pid=$!
if counts=$(read_line "$work/board"); then
    read -r first_is_startup startup got bad <<<"$counts"
    [ "$first_is_startup" = 1 ] || fail "the stream does not begin with the start-up line"
    [ "$startup" = 1 ] || fail "expected 1 start-up line, got $startup"
    [ "$got" = "$records" ] || fail "expected $records records, the reader got $got"
    [ "$bad" = 0 ] || fail "$bad lines are neither records nor the start-up line"
else
    fail "reading the pseudo-terminal failed"
fi
status=0
wait "$board_pid" || status=$?
board_pid=
[ "$status" = 0 ] || fail "the board exited with $status: $(cat "$work/stderr")"
grep -qx "vexmoor-board: wrote $records records ([0-9]* bytes)" "$work/stderr" \
    || fail "the summary does not say $records records: $(cat "$work/stderr")"
grep -q '^/dev/' "$work/stdout" || fail "the pseudo-terminal's path was not printed: $(cat "$work/stdout")"
[ ! -e "$work/board" ] && [ ! -L "$work/board" ] || fail "the link was left behind"

# A file that cannot be read is refused before anything is written.
status=0
"$board" --file "$work/missing.txt" --link "$work/missing-link" >"$work/stdout" 2>"$work/stderr" || status=$?
[ "$status" = 2 ] || fail "a missing --file gave exit status $status, not 2"
grep -q "missing.txt.*No such file or directory" "$work/stderr" \
    || fail "the error does not name the file and the reason: $(cat "$work/stderr")"
[ ! -s "$work/stdout" ] || fail "a pseudo-terminal was made for a missing --file"
[ ! -e "$work/missing-link" ] && [ ! -L "$work/missing-link" ] || fail "a link was made for a missing --file"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "vexmoor-board: all checks passed"
