#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
build=${BUILD_DIR:-$top/build}
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 600
