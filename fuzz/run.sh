#!/usr/bin/env bash
# fuzz/run.sh BUILD_DIR SECONDS [TARGET ...]: replays each target's seed corpus, then fuzzes it
# for SECONDS (0: replay only). New inputs go to a scratch corpus; the repository's corpus is
# only read. A crash, leak, timeout or sanitizer report ends the script with a failure and
# leaves the input in BUILD_DIR/fuzz-artifacts.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: run.sh BUILD_DIR SECONDS [TARGET ...]}" && pwd)
seconds=${2:?usage: run.sh BUILD_DIR SECONDS [TARGET ...]}
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(ProfileFuzzer ScriptFuzzer LzFuzzer VersionFuzzer
  LibraryFuzzer RegistryFileFuzzer AnswersFuzzer DialogTemplateFuzzer)

artifacts=$build/fuzz-artifacts
mkdir -p "$artifacts"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
common=(-timeout=10 -rss_limit_mb=2048 -max_len=65536 "-artifact_prefix=$artifacts/")
for target in "${targets[@]}"; do
  binary=$build/fuzz/$target
  seeds=$root/fuzz/corpus/$target
  echo "== $target: replaying $(find "$seeds" -type f | wc -l) seeds"
  "$binary" "${common[@]}" -runs=0 "$seeds"
  if [ "$seconds" -gt 0 ]; then
    scratch=$build/fuzz-corpus/$target
    mkdir -p "$scratch"
    echo "== $target: fuzzing for $seconds s"
    "$binary" "${common[@]}" -max_total_time="$seconds" -print_final_stats=1 "$scratch" "$seeds"
  fi
done
