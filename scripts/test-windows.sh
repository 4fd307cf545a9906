#!/usr/bin/env bash
# CI's step for the Windows build: builds SETUP.EXE for 32- and 64-bit Windows, checks the
# 32-bit program's imports against what Windows 95 and NT 4.0 export (and that the check
# catches a newer function), installs the sample with the 64-bit program under Wine,
# compared with the native program's install, and runs the conformance tests compiled for
# Windows under Wine. Uses the native build in build/ (built when missing).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
start=$SECONDS
scripts/build-windows.sh
echo "Windows builds: $((SECONDS - start)) s"

scripts/check-windows-imports.sh build-win32/SETUP.EXE
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
printf '#include <windows.h>\nint main(void) { return (int)GetTickCount64(); }\n' >"$probe/newer.c"
i686-w64-mingw32-gcc-win32 -D_WIN32_WINNT=0x0600 -o "$probe/NEWER.EXE" "$probe/newer.c"
if scripts/check-windows-imports.sh "$probe/NEWER.EXE" 2>/dev/null; then
  echo "the import check let GetTickCount64 (Windows Vista) pass" >&2
  exit 1
fi

[ -x build/veltrix-setup ] && [ -e build/examples/disk1/INSTKIT.INF ] || scripts/build.sh
start=$SECONDS
tests/windows-build/install-sample-under-wine.sh build-win64 build
echo "Wine end to end: $((SECONDS - start)) s"

# The conformance tests written against the Windows API, compiled for Windows and run under
# Wine (GoogleTest from Debian's sources, with the posix thread model).
start=$SECONDS
launcher=()
command -v ccache >/dev/null &&
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-wintest -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake \
  -DVELTRIX_MINGW_THREADS=posix -DVELTRIX_WINDOWS_TESTS=ON -DCMAKE_BUILD_TYPE=MinSizeRel \
  "${launcher[@]}" >/dev/null
cmake --build build-wintest -j"$(nproc)" --target conformance_kernel conformance_profile conformance_lz conformance_version conformance_copy conformance_framework conformance_user conformance_script conformance_registry conformance_loader >/dev/null
tests/windows-build/run-conformance.sh build-wintest
echo "conformance tests under Wine: $((SECONDS - start)) s"
