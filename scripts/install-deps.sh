#!/usr/bin/env bash
# Installs what building and testing need, by Debian package name, and only what
# is missing, so repeated runs cost nothing.
set -euo pipefail

packages=(
  make cmake ninja-build g++ clang libclang-rt-14-dev clang-format llvm
  qt6-base-dev libgl-dev
  binutils-mingw-w64-x86-64 fonts-wine fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev
  xdg-utils
  # Line coverage reports from gcc's --coverage builds.
  gcovr
  # An emulated Arm board for the GDB remote link's tests (QEMU's gdbstub).
  qemu-system-arm
  # Benchmarks only: gdb's own memory dump and restore, the link's baseline.
  gdb-multiarch
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
