#!/usr/bin/env bash
# Makes docs/main-window.png, the README's picture of the main window filled by the emulators, under
# a virtual X display (Debian's xvfb). ImageMagick, when present, keeps the file small.
#   tools/screenshot.sh BUILD_DIR
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:?usage: $0 BUILD_DIR}
out="$root/docs/main-window.png"
xvfb-run -a -s "-screen 0 1280x800x24" "$build/tools/vexmoor-screenshot" --emulate "$out" 1074 690
if command -v convert >/dev/null 2>&1; then
    convert "$out" -colors 64 "$out"
fi
echo "$out"
