#!/usr/bin/env bash
# End to end under Wine: the 64-bit SETUP.EXE installs the sample medium unattended into a
# fresh Wine prefix, the native program installs the same medium into another fresh prefix,
# and the two results must agree: the same files with the same contents and sizes, dates set
# (their sources'), the same registry values as `wine reg query` reads them, the same status.
# Usage: install-sample-under-wine.sh WIN64_BUILD_DIR NATIVE_BUILD_DIR
set -euo pipefail
win_build=$(cd "$1" && pwd)
native_build=$(cd "$2" && pwd)
setup_exe=$win_build/SETUP.EXE
native_exe=$native_build/veltrix-setup
media=$native_build/examples
for needed in "$setup_exe" "$win_build/SETUPJPN.DLL" "$native_exe" "$media/disk1/INSTKIT.INF"; do
  [ -e "$needed" ] || { echo "missing $needed" >&2; exit 1; }
done

work=$(mktemp -d /tmp/veltrix-wine.XXXXXX)
xvfb_pid=""
cleanup() {
  [ -n "${WINEPREFIX:-}" ] && /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

export LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64

# A display of our own for the dialogs.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(head -n1 "$work/display")

# The Windows build: the medium holds both disks, the program and its language library, in
# drive D:, a CD-ROM drive as the native program's medium is. There is no disk to swap on a
# real system: the second disk's files are found where the first disk's are.
export WINEPREFIX=$work/wine
"$wine" wineboot -i >/dev/null 2>&1
mkdir -p "$work/medium"
cp -rp "$media/disk1/." "$media/disk2/." "$work/medium/"
cp "$setup_exe" "$win_build/SETUPJPN.DLL" "$work/medium/"
ln -sfn "$work/medium" "$WINEPREFIX/dosdevices/d:"
"$wine" reg add 'HKLM\Software\Wine\Drives' /v d: /d cdrom /f >/dev/null 2>&1
/usr/lib/wine/wineserver -w
# Everything accepted as proposed, but the restart left for later: the same answers file for
# both programs.
printf '%s\n' '"正常に終了" press 2' '"再起動してください" press ok' >"$work/answers"
status=0
timeout 300 "$wine" 'D:\SETUP.EXE' --silent --answers "Z:${work//\//\\}\\answers" \
  --transcript "Z:${work//\//\\}\\wine.txt" || status=$?
/usr/lib/wine/wineserver -w
echo "Windows build under Wine: status $status"
sed 's/^/  /' "$work/wine.txt"

# The native program on the same medium.
native_status=0
timeout 300 "$native_exe" --media "$media/disk1" --disk 2="$media/disk2" --prefix "$work/native" \
  --ui headless --silent --answers "$work/answers" --transcript "$work/native.txt" ||
  native_status=$?
echo "native program: status $native_status"

[ "$status" = "$native_status" ] || fail "status $status under Wine, $native_status natively"
# The sample asks for a restart (type 1) and the answers leave it for later: on Windows NT
# that leaves the computer's restart due.
[ "$status" = 4 ] || fail "the restart the sample asks for is still due: status 4 expected, got $status"
# The same transcript, but for what only the emulated machine shows: the native program asks
# for disk 2 and has it put into the drive, records the beeps of MessageBeep, and names its
# prefix on the end line.
without_disk_and_beeps() {
  awk '/^page: .*# 2 \|/ { skip = 1; next } /^page:/ { skip = 0 }
       /^end: / { sub(/, prefix .*$/, "") } !skip && !/^beep:/' "$1"
}
diff <(without_disk_and_beeps "$work/native.txt") "$work/wine.txt" ||
  fail "the transcripts differ"

# Files: each file the native program installed is in the Wine prefix under the same path
# (Windows paths: any case), with the same contents and the same date (its source's: the
# medium under Wine is a copy that keeps the dates).
checked=0
while IFS= read -r -d '' file; do
  relative=${file#"$work/native/drive_c/"}
  match=$(find "$WINEPREFIX/drive_c" -ipath "$WINEPREFIX/drive_c/$relative" -type f | head -n1)
  [ -n "$match" ] || fail "C:\\$relative was not installed under Wine"
  [ "$(stat -c %s "$file")" = "$(stat -c %s "$match")" ] || fail "C:\\$relative: sizes differ"
  cmp -s "$file" "$match" || fail "C:\\$relative: contents differ"
  [ "$(stat -c %Y "$file")" = "$(stat -c %Y "$match")" ] ||
    fail "C:\\$relative: dated $(date -r "$file" +%T) natively, $(date -r "$match" +%T) under Wine"
  checked=$((checked + 1))
done < <(find "$work/native/drive_c" -type f -print0)
[ "$checked" -ge 6 ] || fail "only $checked files installed natively"
# Nothing more in the installation directory under Wine than natively.
list() { (cd "$1" && find . | tr '[:lower:]' '[:upper:]' | sort); }
diff <(list "$work/native/drive_c/VXSAMPLE") <(list "$WINEPREFIX/drive_c/VXSAMPLE") ||
  fail "the installation directories differ"
echo "files: $checked agree"

# Registry values, read by Wine from both prefixes: the native prefix is a Wine prefix too,
# of a 32-bit system; the 64-bit Wine reads a copy marked as its own.
keys=('HKLM\SOFTWARE\Veltrix\Sample' 'HKCU\Software\Veltrix\Sample' 'HKCR\Veltrix.SampleDocument')
query() {
  for key in "${keys[@]}"; do
    WINEPREFIX=$1 "$wine" reg query "$key" 2>/dev/null | tr -d '\r' | grep -a . || echo "$key: missing"
  done
}
query "$WINEPREFIX" >"$work/wine-registry.txt"
/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
cp -a "$work/native" "$work/native-read"
sed -i 's/^#arch=win32$/#arch=win64/' "$work/native-read"/*.reg
WINEPREFIX=$work/native-read "$wine" wineboot -u >/dev/null 2>&1 || true
query "$work/native-read" >"$work/native-registry.txt"
WINEPREFIX=$work/native-read /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
diff "$work/native-registry.txt" "$work/wine-registry.txt" || fail "registry values differ"
# The values as the script gives them. The sample names the key Veltrix\Sample twice in
# [Registry]; only the first entry is read, so HKCU stays without it in both builds.
grep -qx '    Signature    REG_BINARY    56580100' "$work/wine-registry.txt" &&
  grep -qx '    Version    REG_DWORD    0x78' "$work/wine-registry.txt" &&
  grep -qx '    Description    REG_SZ    Veltrix Sample Document' "$work/wine-registry.txt" ||
  fail "the registry values are not those of the script"
echo "registry: $(grep -c REG_ "$work/wine-registry.txt") values agree"
echo "PASS: the Windows build under Wine installs the sample as the native program does"
