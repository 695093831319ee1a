#!/usr/bin/env bash
# Prints a DBC file with a message of ten signals for each identifier given in hexadecimal: eight
# little endian of six bits, a big endian signed pair of bytes and a flag, with factors and offsets
# as real files have them. Ten identifiers make the benchmarks' 100-signal file.
#   bench/ten_signals_each.sh HEX_ID...
set -euo pipefail
# --help and -h answer with the lines above.
case ${1:-} in -h | --help) sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0" && exit 0 ;; esac

for hex in "$@"; do
    printf 'BO_ %d MSG_%s: 8 ECU\n' "$((16#$hex))" "$hex"
    for signal in 0 1 2 3 4 5 6 7; do
        printf ' SG_ S%d_%s : %d|6@1+ (0.5,-10) [-10|21.5] "km/h" Vector__XXX\n' "$signal" "$hex" $((signal * 6))
    done
    printf ' SG_ W_%s : 55|10@0- (0.1,0) [-51.2|51.1] "deg" Vector__XXX\n' "$hex"
    printf ' SG_ F_%s : 63|1@1+ (1,0) [0|1] "" Vector__XXX\n\n' "$hex"
done
