#!/usr/bin/env bash
# Checks vexmoor-board end to end through a real pseudo-terminal, the way Vexmoor meets it.
#   tools/board/test_board.sh path/to/vexmoor-board
set -euo pipefail
# --help and -h answer with the lines above.
case ${1:-} in -h | --help) sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0" && exit 0 ;; esac

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

# A client of the simulated slcan adapter, as the program is one: it sends commands and reads the
# answers (CR accepted, BEL refused) and frame lines the adapter writes, until the adapter goes away.
cat >"$work/slcan_client.py" <<'PY'
import errno, os, re, select, sys, time

deadline = time.monotonic() + 30
frame_line = re.compile(r"([tT])([0-9A-F]{3}|[0-9A-F]{8})([0-8])([0-9A-F]*)")


class Adapter:
    def __init__(self, path):
        while not os.path.exists(path):
            if time.monotonic() > deadline:
                sys.exit("the link never appeared")
            time.sleep(0.01)
        self.fd = os.open(path, os.O_RDWR | os.O_NOCTTY)
        self.message = ""
        self.tokens = []
        self.gone = False

    def send(self, text):
        os.write(self.fd, text.encode())

    # Reads what is there within `wait` seconds; False once the adapter has gone (EIO on the slave).
    def read(self, wait):
        if self.gone or not select.select([self.fd], [], [], wait)[0]:
            return not self.gone
        try:
            chunk = os.read(self.fd, 4096).decode("ascii")
        except OSError as error:
            if error.errno != errno.EIO:
                raise
            chunk = ""
        if not chunk:  # the master side is closed: EIO, or end of file on some kernels
            self.gone = True
            return False
        for c in chunk:
            if c == "\a":
                self.tokens.append("BEL")
            elif c == "\r":
                self.tokens.append(self.message or "CR")
                self.message = ""
            else:
                self.message += c
        return True

    def take(self):
        while not self.tokens:
            if time.monotonic() > deadline:
                sys.exit("the adapter did not answer in time")
            if not self.read(deadline - time.monotonic()):
                sys.exit("the adapter went away before it answered")
        return self.tokens.pop(0)

    def answers(self, count):
        return [self.take() for _ in range(count)]

    # Every token until the adapter goes away.
    def rest(self):
        while self.read(max(deadline - time.monotonic(), 0)):
            if time.monotonic() > deadline:
                sys.exit("the adapter did not stop in time")
        tokens, self.tokens = self.tokens, []
        return tokens


def expect(what, got, wanted):
    if got != wanted:
        sys.exit("%s: got %r, expected %r" % (what, got, wanted))


def split(tokens):
    frames = [token for token in tokens if frame_line.fullmatch(token)]
    return frames, [token for token in tokens if token not in frames]


def check_stamps(frames, clock_start):
    stamps = [int(frame[-4:], 16) for frame in frames]
    if not clock_start <= stamps[0] <= 59999:
        sys.exit("the first frame's stamp %d is not after --clock-start %d" % (stamps[0], clock_start))
    steps = [(later - earlier) % 60000 for earlier, later in zip(stamps, stamps[1:])]
    if max(steps) > 2000:
        sys.exit("the stamps jump: %r" % stamps)
    if sum(1 for earlier, later in zip(stamps, stamps[1:]) if later < earlier) != 1:
        sys.exit("the stamps do not wrap once: %r" % stamps)


def generated(path, records, clock_start):
    adapter = Adapter(path)
    adapter.send("C\rS6\rZ1\rL\r")
    expect("answers to C S6 Z1 L", adapter.answers(4), ["BEL", "CR", "CR", "CR"])
    tokens = []
    while sum(1 for token in tokens if frame_line.fullmatch(token)) < records // 4:
        tokens.append(adapter.take())
    adapter.send("C\r")
    while not tokens or tokens[-1] != "CR":
        tokens.append(adapter.take())
    adapter.read(0.3)
    expect("what a closed adapter sent", adapter.tokens, [])
    adapter.send("L\rZ0\rS6\rt1231AA\rO\r")
    frames, answers = split(tokens + adapter.rest())
    expect("answers", answers, ["CR", "CR", "BEL", "BEL", "BEL", "BEL"])
    expect("frames", len(frames), records)
    if not all(frame.startswith("t") and len(frame) == 1 + 3 + 1 + 16 + 4 for frame in frames):
        sys.exit("not every frame is a stamped standard frame of 8 bytes")
    check_stamps(frames, clock_start)


def from_file(path):
    adapter = Adapter(path)
    adapter.send("V\rN\rF\rL\rZ0\rS9\rSx\rS4\r")
    expect("answers before opening", adapter.answers(8), ["V1013", "NA123", "F00", "BEL", "CR", "BEL", "BEL", "CR"])
    adapter.send("O\r")
    expect("answer to O", adapter.take(), "CR")
    expect("frames", adapter.rest(), ["t2A880110FF1700000000", "T0001E24020102", "t1230"])


if sys.argv[1] == "generated":
    generated(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]))
else:
    from_file(sys.argv[2])
PY

# Runs the client against the adapter started as $board_pid, and then waits for the adapter to end.
# An adapter whose client gave up may wait for commands for ever, so it is stopped then.
check_adapter() {
    local what=$1
    shift
    if ! python3 "$work/slcan_client.py" "$@"; then
        fail "$what"
        kill "$board_pid" 2>/dev/null || true
    fi
    local status=0
    wait "$board_pid" || status=$?
    board_pid=
    [ "$status" = 0 ] || fail "$what: the adapter exited with $status: $(cat "$work/stderr")"
}

# The adapter with generated records, stamped: it answers as an adapter, sends nothing while closed,
# goes on after a close and an open again without losing a frame, and its clock wraps on the way.
records=150
clock_start=58000
"$board" --protocol slcan --baud 19200 --records "$records" --ids 20 --seed 3 --clock-start "$clock_start" \
    --link "$work/adapter" >/dev/null 2>"$work/stderr" &
board_pid=$!
check_adapter "the slcan adapter with generated records" generated "$work/adapter" "$records" "$clock_start"
grep -qx "vexmoor-board: wrote $records frames ([0-9]* bytes), skipped 0 records" "$work/stderr" \
    || fail "the summary does not say $records frames: $(cat "$work/stderr")"

# The adapter without listen-only mode, with records from a file, some of which are no CAN frame.
printf '%s\r\n' "CAN BUS Shield init ok!" "<680,1,16,255,23,0,0,0,0,>" "<2048,1,>" "<123456,1,2,>" "<12,300,>" \
    "<291,>" "<1,1,2,3,4,5,6,7,8,9,>" >"$work/records.txt"
"$board" --protocol slcan --no-listen-only --baud 0 --file "$work/records.txt" --link "$work/adapter" \
    >/dev/null 2>"$work/stderr" &
board_pid=$!
check_adapter "the slcan adapter with records from a file" file "$work/adapter"
grep -qx "vexmoor-board: wrote 3 frames ([0-9]* bytes), skipped 3 records" "$work/stderr" \
    || fail "the summary does not say 3 frames and 3 skipped records: $(cat "$work/stderr")"

# An adapter's option without the adapter is refused before anything is made.
status=0
"$board" --no-listen-only --link "$work/refused-link" >"$work/stdout" 2>"$work/stderr" || status=$?
[ "$status" = 2 ] || fail "--no-listen-only without --protocol slcan gave exit status $status, not 2"
[ "$(wc -l <"$work/stderr")" = 1 ] || fail "the refusal is not one line: $(cat "$work/stderr")"
[ ! -s "$work/stdout" ] && [ ! -L "$work/refused-link" ] || fail "a pseudo-terminal was made for refused options"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "vexmoor-board: all checks passed"
