#!/usr/bin/env bash
# Runs the conformance tests compiled for Windows under 64-bit Wine: the Japanese ones with
# code page 932 (LC_ALL=ja_JP.UTF-8), the others with code page 1252 (LC_ALL=C.UTF-8). The
# differences recorded in wine-differences.txt are left out, and each must still fail.
# Usage: run-conformance.sh WINDOWS_TEST_BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
wine=/usr/lib/wine/wine64
work=$(mktemp -d /tmp/veltrix-conformance.XXXXXX)
xvfb_pid=
trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
# A display of our own for the window tests.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "FAIL: Xvfb did not start"; exit 1; }
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY=:$(head -n1 "$work/display")
LC_ALL=C.UTF-8 "$wine" wineboot -i >/dev/null 2>&1
# Without a window manager Wine waits up to two seconds for each window it hides to be
# withdrawn, unless its windows are unmanaged.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# A test that ends the process (a recorded difference) must not wait at a crash dialog.
"$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
  >/dev/null 2>&1
# The tests' drives in the one temporary directory they use (tests/windows-build/fixture/
# SharedTempDir.cpp): drive D: is the medium, its "media" folder; drive T: stands for the
# emulated machine's drive C: (fixture/TestSystem.cpp), its "prefix/drive_c" folder.
mkdir -p "$work/root/media" "$work/root/prefix/drive_c"
ln -sfn "$work/root/media" "$WINEPREFIX/dosdevices/d:"
ln -sfn "$work/root/prefix/drive_c" "$WINEPREFIX/dosdevices/t:"
# The emulated machine's medium is a CD-ROM. Wine reads the drives' types when it starts, so
# its server is left to end first.
"$wine" reg add 'HKLM\Software\Wine\Drives' /v d: /d cdrom /f >/dev/null 2>&1
/usr/lib/wine/wineserver -w
export VELTRIX_TEST_ROOT="Z:${work//\//\\}\\root"

known=$(grep -v '^#' "$here/wine-differences.txt" | awk 'NF { print $1 }')
# Tests of the emulated machine alone (native-only.txt), left out without a check.
native=$(awk '!/^#/ && NF { print $1 }' "$here/native-only.txt")
# The locale a test runs in: code page 932 for the Japanese tests (by name, and the framework's
# window tests, which run on a Japanese machine), 1252 for the others.
locale_of() {
  case $1 in
    *CodePage1252*) echo C.UTF-8 ;;
    MbString932.* | Japanese* | *Japanese.* | *CodePage932* | DialogTest.* | SubclassTest.* | \
      TextHelpersTest.* | OpenFileDialogTest.* | CommonDialogTest.* | MessageBoxTest.* | \
      SetupScriptMessages.* | \
      SetupScriptTest.DateOrderFollowsTheSystemLocale)
      echo ja_JP.UTF-8 ;;
    *) echo C.UTF-8 ;;
  esac
}
# A test program that hangs (a dialog nobody answers) fails instead of stopping CI.
run() { timeout 300 "$wine" "$@"; }
status=0
for program in "$build"/tests/windows-build/conformance_*.exe; do
  name=$(basename "$program")
  # The script loader reads the script beside the program: its tests run from the medium, as
  # the installer does (the tests' temporary directory leaves the program there).
  if [ "$name" = conformance_loader.exe ]; then
    mkdir -p "$work/root/media"
    cp "$program" "$work/root/media/"
    program="D:\\$name"
  fi
  # The program's tests as Suite.Test, listed once: a start of Wine costs a moment.
  listed=$(run "$program" --gtest_list_tests | tr -d '\r' |
    awk '/^[^ ]/ { suite = $1 } /^  / { print suite $1 }')
  for locale in ja_JP.UTF-8 C.UTF-8; do
    tests=$(for test in $listed; do
      if [ "$(locale_of "$test")" = "$locale" ] && ! grep -qxF "$test" <<<"$known"$'\n'"$native"; then
        echo "$test"
      fi
    done | paste -sd: -)
    [ -n "$tests" ] || continue
    LC_ALL=$locale run "$program" --gtest_brief=1 --gtest_filter="$tests" ||
      { echo "FAIL: $name in $locale"; status=1; }
  done
  for test in $known; do
    grep -qxF "$test" <<<"$listed" || continue
    if LC_ALL=$(locale_of "$test") run "$program" --gtest_filter="$test" >"$work/out" 2>&1 &&
      grep -q '\[  PASSED  \] 1 test' "$work/out"; then
      echo "FAIL: $test passes under Wine now: remove it from wine-differences.txt"
      status=1
    fi
  done
done
[ $status -eq 0 ] && echo "PASS: the conformance tests agree under Wine, but for $(wc -w <<<"$known") recorded differences"
exit $status
