#!/bin/sh
# Regenerates the library's splash bitmap and chip icon
# (zarvexapp/resources/splash.bmp, chip.ico) and the demo application's small
# logo (plugins/simdemo/smalllogo.bmp) from tools/gen_art.cpp.
# The results are committed; the build does not run this.
#   scripts/gen-art.sh [<preview folder for enlarged PNGs>]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
g++ -std=c++20 -O1 -Wall -Wextra -fPIC "$root/tools/gen_art.cpp" -o "$work/gen_art" \
    $(pkg-config --cflags --libs Qt6Gui)
QT_QPA_PLATFORM=offscreen "$work/gen_art" "$root/zarvexapp/resources" "$root/plugins/simdemo" "$@"
