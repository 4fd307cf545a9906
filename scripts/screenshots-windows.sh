#!/usr/bin/env bash
# Takes the pictures of the Windows build's pages for the documentation: the 64-bit SETUP.EXE
# runs under Wine on a virtual screen, driven by answers files through every page (pausing
# on each), and each screen that stayed still is saved as a PNG in OUT_DIR (default
# build-win64/screenshots), numbered in the order shown. docs/screenshots/windows holds the
# ones chosen for the documentation, named after what they show.
# Usage: screenshots-windows.sh [WIN64_BUILD_DIR [NATIVE_BUILD_DIR]]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
win_build=$(cd "${1:-$top/build-win64}" && pwd)
media=$(cd "${2:-$top/build}" && pwd)/examples
out=${OUT_DIR:-$win_build/screenshots}
work=$(mktemp -d /tmp/veltrix-shots.XXXXXX)
xvfb_pid=""
cleanup() {
  /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX=$work/wine
wine=/usr/lib/wine/wine64

mkdir -p "$work/fb" "$work/frames" "$out"
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 800x600x24 -fbdir "$work/fb" -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$work/display")
"$wine" wineboot -i >/dev/null 2>&1

# Disk 1 with the program in D:, disk 2 in E:, both CD-ROM drives.
mkdir -p "$work/d" "$work/e"
cp -rp "$media/disk1/." "$work/d/"
cp -rp "$media/disk2/." "$work/e/"
cp "$win_build/SETUP.EXE" "$win_build/SETUPJPN.DLL" "$work/d/"
ln -sfn "$work/d" "$WINEPREFIX/dosdevices/d:"
ln -sfn "$work/e" "$WINEPREFIX/dosdevices/e:"
"$wine" reg add 'HKLM\Software\Wine\Drives' /v d: /d cdrom /f >/dev/null 2>&1
"$wine" reg add 'HKLM\Software\Wine\Drives' /v e: /d cdrom /f >/dev/null 2>&1

# Keeps each screen that stays the same for three looks in a row, once. Without a window
# manager the windows show no frames or captions; the mouse pointer alone is left out.
capture() {
  local last="" same=0 count=0 sum
  while :; do
    sum=$(md5sum <"$work/fb/Xvfb_screen0")
    if [ "$sum" = "$last" ]; then
      same=$((same + 1))
      if [ $same -eq 3 ] && ! grep -qx "$sum" "$work/seen" 2>/dev/null; then
        echo "$sum" >>"$work/seen"
        count=$((count + 1))
        cp "$work/fb/Xvfb_screen0" "$work/frames/$(printf %03d $count).xwd"
      fi
    else
      same=0
      last=$sum
    fi
    sleep 0.05
  done
}

run() {
  local name=$1
  shift
  printf '%s\n' "$@" >"$work/$name.answers"
  "$wine" 'D:\SETUP.EXE' --pause 1500 --answers "Z:${work//\//\\}\\$name.answers" \
    --transcript "Z:${work//\//\\}\\$name.txt" || true
  /usr/lib/wine/wineserver -w
  sed "s/^/  $name: /" "$work/$name.txt"
}

capture &
capture_pid=$!
# The path page, its folder browser, the cancel question, the new-directory question, the
# copy page, the next-disk page and the finish page.
run install \
  '"ｺﾋﾟｰ先" press "参照(R)..."' '"ﾊﾟｽの設定" press cancel' \
  '"ｺﾋﾟｰ先" press cancel' '"中止してもよろしいですか" press no' \
  '"ｺﾋﾟｰ先" press ok' '"新しいﾃﾞｨﾚｸﾄﾘ" press yes' \
  '"# 2" type 1000 "E:\" press ok' '"正常に終了" press 2' '"再起動してください" press ok'
# The abort page.
run abort '"ｺﾋﾟｰ先" press cancel' '"中止してもよろしいですか" press yes' '"中止しました" press 2'
kill $capture_pid 2>/dev/null || true
wait $capture_pid 2>/dev/null || true

rm -f "$out"/*.png
n=0
for frame in "$work"/frames/*.xwd; do
  python3 "$top/scripts/xwd-to-png.py" "$frame" "$work/frame.png" || continue
  # The pointer alone.
  [ "$(stat -c %s "$work/frame.png")" -gt 1000 ] || continue
  n=$((n + 1))
  mv "$work/frame.png" "$out/$(printf %02d $n).png"
done
echo "$(ls "$out" | wc -l) pictures in $out"
