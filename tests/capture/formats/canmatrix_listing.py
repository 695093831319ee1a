#!/usr/bin/env python3
"""Lists the messages and signals that canmatrix reads from a DBC file, one line each, for the DBC
tests to hold against their own reading:
  M <id> <extended 0/1> <name>
  S <name> <start bit as DBC numbers it> <length> <little endian 0/1> <signed 0/1> <factor> <offset>
Exits 77 when canmatrix is not installed."""
import contextlib
import sys

try:
    import canmatrix.formats
except ImportError:
    sys.exit(77)

# canmatrix reports what it cannot read on standard output: that goes to standard error here.
with contextlib.redirect_stdout(sys.stderr):
    database = canmatrix.formats.loadp_flat(sys.argv[1], import_type="dbc")
for frame in database.frames:
    print("M", frame.arbitration_id.id, int(frame.arbitration_id.extended), frame.name)
    for signal in frame.signals:
        print("S", signal.name, signal.get_startbit(bit_numbering=1), signal.size, int(signal.is_little_endian),
              int(signal.is_signed), repr(float(signal.factor)), repr(float(signal.offset)))
