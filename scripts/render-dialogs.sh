#!/bin/sh
# Renders the library's dialogs to PNG files for review:
#   scripts/render-dialogs.sh [<preset>]     (default: dev)
# Builds and runs the render test; the pictures land in
# build/<preset>/renders/dialog_<id>.png.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
preset=${1:-dev}
build="$root/build/$preset"
[ -f "$build/CMakeCache.txt" ] || cmake --preset "$preset" -B "$build"
cmake --build "$build" -j2 --target test_resources_DialogRenders
QT_QPA_PLATFORM=offscreen "$build/bin/test_resources_DialogRenders"
ls "$build/renders"/dialog_*.png
