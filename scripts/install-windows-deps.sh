#!/usr/bin/env bash
# Installs what the Windows build and its tests under Wine need on Debian: the mingw-w64
# compilers (win32 thread model for the program, posix for the conformance tests), 64-bit
# Wine with Xvfb, a Japanese font for the dialogs, and the ja_JP.UTF-8 locale, which gives
# Wine the Japanese code page 932.
set -euo pipefail

packages=(
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64 xvfb fonts-ipafont-gothic locales mscompress googletest
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  $sudo sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
