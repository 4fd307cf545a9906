#!/usr/bin/env bash
# Installs what is needed, builds, and runs the installer on the bundled sample medium with
# the default prefix. Extra arguments go to veltrix-setup (for example --ui headless --silent).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
build=${BUILD_DIR:-$top/build}
media=$build/examples/disk1
# The installer's own texts are Japanese: show them in code page 932 unless a language is given.
language=(--lang JPN)
for argument in "$@"; do
  case $argument in --lang|--lang=*) language=() ;; esac
done
status=0
"$build/veltrix-setup" --media "$media" --disk 2="$build/examples/disk2" "${language[@]}" "$@" || status=$?
prefix=${VELTRIX_PREFIX:-${WINEPREFIX:-$HOME/.local/share/veltrix-setup/machine}}
echo
echo "veltrix-setup ended with status $status. The emulated machine is $prefix:"
find "$prefix/drive_c" -path "$prefix/drive_c/windows" -prune -o -type f -print 2>/dev/null | sed "s|^$prefix/||" | head -40
ls "$prefix/drive_c/windows/system32" "$prefix/drive_c/windows/system" 2>/dev/null | sed 's/^/  system: /' | head -10
exit $status
