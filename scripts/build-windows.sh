#!/usr/bin/env bash
# Builds SETUP.EXE and its language library SETUPJPN.DLL for Windows from the same sources:
# 32-bit (the product) into build-win32/, 64-bit (what runs under 64-bit Wine here) into
# build-win64/ (or under the directory given as BUILD_ROOT).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=${BUILD_ROOT:-$top}
"$top/scripts/install-windows-deps.sh"
launcher=()
command -v ccache >/dev/null &&
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
for target in win32:i686 win64:x86_64; do
  build=$root/build-${target%%:*}
  cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-${target#*:}.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel "${launcher[@]}" >/dev/null
  cmake --build "$build" -j"$(nproc)"
  echo "built $build/SETUP.EXE $build/SETUPJPN.DLL"
done
