#!/usr/bin/env bash
# Makes the README's pictures under a virtual X display (Debian's xvfb): docs/main-window.png, the main
# window filled by the emulators; docs/what-changed.png, the hunt for the head lights' bit by eye;
# docs/find-the-signal.png, the same hunt with marks and the ranking; docs/signals-dock.png, the same
# with a DBC file; docs/two-buses.png, a row per bus; and, with ../shared/testdata, docs/anatomy.png,
# the fields proposed for a message of a real capture.
# ImageMagick, when present, keeps the files small.
#   tools/screenshot.sh BUILD_DIR
set -euo pipefail
# --help and -h answer with the lines above.
case ${1:-} in -h | --help) sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0" && exit 0 ;; esac

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:?usage: $0 BUILD_DIR}
shoot() {
    local out=$root/docs/$1
    shift
    xvfb-run -a -s "-screen 0 1700x1100x24" "$build/tools/vexmoor-screenshot" "$@"
    if command -v convert >/dev/null 2>&1; then
        convert "$out" -colors 64 "$out"
    fi
    echo "$out"
}
shoot main-window.png --emulate "$root/docs/main-window.png" 1074 690
shoot what-changed.png --changes "$root/docs/what-changed.png" 1600 1000
shoot find-the-signal.png --marks "$root/docs/find-the-signal.png" 1600 1000
shoot signals-dock.png --signals "$root/docs/signals-dock.png" 1400 900
shoot two-buses.png --buses "$root/docs/two-buses.png" 1400 900
civic=$root/../shared/testdata/honda_civic_type_r_turnonanddrive.log
if [ -f "$civic" ]; then
    shoot anatomy.png --anatomy "$root/docs/anatomy.png" 1600 1000 "$civic"
else
    echo "no $civic: docs/anatomy.png left as it is"
fi
