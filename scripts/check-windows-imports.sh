#!/usr/bin/env bash
# Checks that a 32-bit SETUP.EXE imports only functions that both Windows 95 and NT 4.0
# export (tests/windows-build/win95-nt4-exports.txt), so that it starts on those systems.
# Usage: check-windows-imports.sh [SETUP.EXE]   (default: build-win32/SETUP.EXE)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$top/build-win32/SETUP.EXE}
allowed=$top/tests/windows-build/win95-nt4-exports.txt
objdump=$(command -v i686-w64-mingw32-objdump || command -v x86_64-w64-mingw32-objdump)

# "LIBRARY FUNCTION" for each import, the library's name in capitals.
imports=$("$objdump" -p "$program" | awk '
  /^\tDLL Name:/ { dll = toupper($3); next }
  /^$/ { next }
  dll != "" && /^\t[0-9a-f]+\t/ { print dll, $NF }
  /^The Export Tables|^PE File Base Relocations|^The Function Table/ { dll = "" }' | sort -u)
[ -n "$imports" ] || { echo "no imports found in $program" >&2; exit 1; }

unknown=$(comm -23 <(echo "$imports") <(grep -v '^#' "$allowed" | grep . | sort -u))
count=$(echo "$imports" | wc -l)
libraries=$(echo "$imports" | cut -d' ' -f1 | sort -u | tr '\n' ' ')
if [ -n "$unknown" ]; then
  echo "$program imports functions that Windows 95 or NT 4.0 does not export:" >&2
  echo "$unknown" | sed 's/^/  /' >&2
  exit 1
fi
echo "imports: $count functions from ${libraries}- all exported by Windows 95 and NT 4.0"
