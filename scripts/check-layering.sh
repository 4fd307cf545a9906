#!/usr/bin/env bash
# Checks that each subsystem of the emulated machine includes only the headers of the
# subsystems it may use (platform/CMakeLists.txt draws the picture), so that no cycle between
# the folders creeps back in. The Windows API headers (windows.h, win/, commdlg.h, ...) are
# open to all.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top/platform"

declare -A allowed=(
  [kernel]="kernel"
  [lz]="lz kernel"
  [version]="version kernel"
  [registry]="registry kernel"
  [gdi]="gdi kernel"
  [user]="user gdi kernel"
  [comdlg]="comdlg user gdi kernel"
  [host]="host comdlg user gdi registry lz version kernel"
)

status=0
for subsystem in "${!allowed[@]}"; do
  files=$(find "$subsystem" "include/$subsystem" -name '*.cpp' -o -name '*.h' 2>/dev/null || true)
  for file in $files; do
    while IFS= read -r used; do
      case " ${allowed[$subsystem]} " in
        *" $used "*) ;;
        *)
          echo "$file: $subsystem may not include $used/ headers"
          status=1
          ;;
      esac
    done < <(sed -n -E 's@^#include [<"](kernel|lz|version|registry|gdi|user|comdlg|host)/.*@\1@p' "$file" | sort -u)
  done
done
[ $status -eq 0 ] && echo "platform layering: every subsystem includes only what it may use"
exit $status
