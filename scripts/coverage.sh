#!/bin/sh
# Line coverage of the libraries and the shipped plug-ins by the whole test
# suite, measured with clang's source-based coverage in build/coverage/:
#   scripts/coverage.sh            (prints the per-file table and the total)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/coverage"
cd "$root"
cmake --preset coverage >/dev/null
cmake --build --preset coverage -j "${JOBS:-2}"
rm -rf "$build/profiles"
ctest --preset coverage -j "${JOBS:-2}" >"$build/ctest.log" || { tail -20 "$build/ctest.log"; exit 1; }
llvm-profdata merge -sparse "$build"/profiles/*.profraw -o "$build/tests.profdata"
bin="$build/bin"
objects="$bin/libzxplatform.so -object $bin/libcmnctrls.so -object $bin/libzarvexapp.so"
for plugin in "$bin"/*.ctc "$bin"/*.ctm "$bin"/*.ctp "$bin"/*.cap; do
  if [ -e "$plugin" ]; then objects="$objects -object $plugin"; fi
done
# shellcheck disable=SC2086 # one word per object
llvm-cov report -instr-profile "$build/tests.profdata" $objects -ignore-filename-regex='/tests/'
