#!/usr/bin/env bash
# Renders pictures of the installer's screens for the README: runs the built program in a
# tmux terminal of 80 x 24 on a small medium and turns each captured screen into a PNG with
# scripts/render-capture.py (ImageMagick and the IPAGothic font). Writes docs/screens/*.png.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
out=$top/docs/screens
work=$(mktemp -d)
socket=veltrix-screens-$$
trap 'tmux -L "$socket" kill-server 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$out" "$work/medium" "$work/terminfo"

# A terminal without "back colour erase", so that every blank is written with its colour.
infocmp -x xterm-256color | sed 's/^xterm-256color|[^,]*,/xterm-nobce|screens,/; s/\bbce, //' \
  >"$work/terminfo.src"
tic -x -o "$work/terminfo" "$work/terminfo.src" 2>/dev/null

printf '%s\r\n' '[Setup]' 'InfRevision=1' 'TargetOS=1000F' 'Caption=Veltrix Sample Setup' \
  'Beginning=This installs the Veltrix sample application.' 'ProgressBar=1' \
  'DefaultDstPath=VXSAMPLE' \
  'RebootOrRestart=1' '[Files]' '1:README.TXT=,,0,3' '1:SAMPLE.TXT=,,0,0' >"$work/medium/INSTKIT.INF"
printf 'read me\r\n' >"$work/medium/README.TXT"
printf 'a sample\r\n' >"$work/medium/SAMPLE.TXT"
# A first, unattended run installs the files, so that the second one asks about SAMPLE.TXT.
"$build/veltrix-setup" --media "$work/medium" --prefix "$work/machine" --lang JPN --ui headless \
  --silent >/dev/null || true
find "$work/machine/drive_c/VXSAMPLE" -name SAMPLE.TXT -exec touch -d 2000-01-01 {} +

tmux -L "$socket" -f /dev/null new-session -d -x 80 -y 24 -s screens \
  "env TERMINFO=$work/terminfo TERM=xterm-nobce LANG=C.UTF-8 '$build/veltrix-setup' \
   --media '$work/medium' --prefix '$work/machine' --lang JPN; sleep 30"
wait_for() {
  for _ in $(seq 100); do
    tmux -L "$socket" capture-pane -p -t screens | grep -q -- "$1" && { sleep 0.5; return; }
    sleep 0.1
  done
  echo "make-screenshots: \"$1\" did not show" >&2
  exit 1
}
shoot() {
  tmux -L "$socket" capture-pane -p -e -N -t screens >"$work/$1.ans"
  python3 "$top/scripts/render-capture.py" "$work/$1.ans" "$out/$1.png" 80 24
  echo "wrote docs/screens/$1.png"
}
wait_for 'ｷｬﾝｾﾙ'
shoot path-page
tmux -L "$socket" send-keys -t screens Enter
wait_for '上書きしてもよろしいですか'
shoot overwrite-dialog
tmux -L "$socket" send-keys -t screens Enter
wait_for '正常に終了しました'
shoot finish-page
