#!/usr/bin/env bash
# Compiles the installer and the framework against the real Windows headers of mingw-w64
# (32-bit), as the Windows build of the same sources does. Only the native platform layer is
# left out: on Windows the system provides it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
if ! command -v i686-w64-mingw32-g++ >/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get install -y -qq --no-install-recommends g++-mingw-w64-i686 >/dev/null ||
    { $sudo apt-get update -qq && $sudo apt-get install -y -qq --no-install-recommends g++-mingw-w64-i686 >/dev/null; }
fi
cd "$top"
status=0
for source in framework/*.cpp script/*.cpp engine/*.cpp pages/*.cpp app/*.cpp app/main/*.cpp; do
  if ! i686-w64-mingw32-g++ -std=c++17 -fsyntax-only -Wall -Wextra -Werror -I. -Iframework "$source"; then
    echo "does not compile for Windows: $source"
    status=1
  fi
done
[ $status -eq 0 ] && echo "Windows sources: all compile"
exit $status
