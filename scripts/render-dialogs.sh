#!/bin/sh
# Renders the library's dialogs to PNG files for review:
#   scripts/render-dialogs.sh [<preset>]     (default: dev)
# Builds and runs the test that makes them into windows; the pictures land in
# build/<preset>/renders/window_dialog_<id>.png.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
preset=${1:-dev}
build="$root/build/$preset"
[ -f "$build/CMakeCache.txt" ] || cmake --preset "$preset" -B "$build"
cmake --build "$build" -j2 --target test_resources_LibraryWindows
QT_QPA_PLATFORM=offscreen "$build/tests/test_resources_LibraryWindows"
ls "$build/renders"/window_dialog_*.png
