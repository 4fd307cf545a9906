#!/usr/bin/env bash
# fuzz/make-seeds.sh BUILD_DIR: makes the seed corpora of fuzz/corpus with the project's own
# sources and tools (the sample medium, the resource scripts, mscompress, the mingw-w64
# resource compiler and linker, and the installer itself for a registry file it wrote).
# BUILD_DIR is a native build with veltrix-setup. The seeds are small and kept in the
# repository; run this again when a format changes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: make-seeds.sh BUILD_DIR}" && pwd)
corpus=$root/fuzz/corpus
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$corpus"/{ProfileFuzzer,ScriptFuzzer,LzFuzzer,VersionFuzzer,LibraryFuzzer,RegistryFileFuzzer,AnswersFuzzer,DialogTemplateFuzzer}

# Profiles and scripts: the sample medium's script and a script of each section kind.
cp "$root/examples/disk1/INSTKIT.INF" "$corpus/ProfileFuzzer/sample.inf"
cp "$root/examples/disk1/INSTKIT.INF" "$corpus/ScriptFuzzer/sample.inf"
printf '[Setup]\r\nInfRevision=1\r\nTargetOS=1000F\r\nCaption="Quoted"\r\n[Files]\r\n1:A.TXT=,,0,3\r\n1:B.DL_=B.DLL,<SYS>,0,6\r\n[Registry]\r\nK=HKEY_CURRENT_USER,Software\r\n[K]\r\nS=REG_SZ,text\r\nD=REG_DWORD,10\r\nB=REG_BINARY,1,2,255\r\n' \
  >"$corpus/ScriptFuzzer/sections.inf"
cp "$corpus/ScriptFuzzer/sections.inf" "$corpus/ProfileFuzzer/sections.inf"
# The quadratic load: identical [Registry] lines naming one section of many values.
{
  printf '[Setup]\r\nInfRevision=1\r\nTargetOS=1000F\r\n[Files]\r\n1:A.TXT=\r\n[Registry]\r\n'
  for i in $(seq 1 64); do printf 'KEY=HKEY_LOCAL_MACHINE,SOFTWARE\r\n'; done
  printf '[KEY]\r\n'
  for i in $(seq 1 64); do printf 'V%d=REG_SZ,value %d\r\n' "$i" "$i"; done
} >"$corpus/ScriptFuzzer/regression-repeated-registry.inf"
cp "$corpus/ScriptFuzzer/regression-repeated-registry.inf" "$corpus/ProfileFuzzer/"

# LZ: files compressed as the media carry them, an empty one, and headers whose expanded
# length was damaged (regression seeds: such a file once installed cut to one byte).
"$root/examples/make-szdd.sh" "$root/examples/disk1/README.TXT" "$corpus/LzFuzzer/readme.tx_"
"$root/examples/make-szdd.sh" "$root/examples/src/SAMPLE.DAT" "$corpus/LzFuzzer/sample.da_"
: >"$work/EMPTY.TXT"
"$root/examples/make-szdd.sh" "$work/EMPTY.TXT" "$corpus/LzFuzzer/empty.tx_"
cp "$root/examples/disk1/README.TXT" "$corpus/LzFuzzer/plain.txt"
for length in 0 1; do
  cp "$corpus/LzFuzzer/readme.tx_" "$corpus/LzFuzzer/regression-length-$length.tx_"
  printf "\\x0$length\\x00\\x00\\x00" |
    dd of="$corpus/LzFuzzer/regression-length-$length.tx_" bs=1 seek=10 conv=notrunc status=none
done

# Version resources: the sample DLL for 32 and 64 bit, and the sample program.
for arch in i686 x86_64; do
  "$arch-w64-mingw32-windres" --preprocessor=cpp --preprocessor-arg=-P \
    -i "$root/examples/src/vxsample.rc" -O coff -o "$work/v-$arch.o"
  "$arch-w64-mingw32-ld" --dll -e 0 --subsystem windows -o "$corpus/VersionFuzzer/vxsample-$arch.dll" \
    "$work/v-$arch.o"
done
cp "$root/examples/src/SAMPLE.EXE" "$corpus/VersionFuzzer/sample.exe"
c++ -std=c++17 -I "$root/tests/version" -I "$root/tests/support" "$root/fuzz/MakeNeSeeds.cpp" \
  "$root/tests/version/TestImages.cpp" "$root/tests/support/TempDir.cpp" -o "$work/make-ne-seeds"
"$work/make-ne-seeds" "$corpus/VersionFuzzer/ne16.exe" "$corpus/VersionFuzzer/ne16-nofixed-align9.exe"

# Language libraries: the test library, and one whose strings ask for more arguments than the
# program passes (regression seed: such a string once crashed the program).
i686-w64-mingw32-windres --preprocessor=cpp --preprocessor-arg=-P -I "$root/tests/data/lang" \
  -i "$root/tests/data/lang/setupenu.rc" -O coff -o "$work/lang.o"
i686-w64-mingw32-ld --dll -e 0 --subsystem windows -o "$corpus/LibraryFuzzer/setupenu.dll" "$work/lang.o"
printf 'STRINGTABLE\nBEGIN\n 1001 "%s"\n 3000 "%s"\n 3006 "%s"\n 3001 "MISSING.INF"\nEND\n' \
  "$(printf '%%s%.0s' $(seq 1 20))" "$(printf '%%s%.0s' $(seq 1 20))" "%d %s %n" >"$work/bad.rc"
i686-w64-mingw32-windres --preprocessor=cpp --preprocessor-arg=-P -i "$work/bad.rc" -O coff -o "$work/bad.o"
i686-w64-mingw32-ld --dll -e 0 --subsystem windows -o "$corpus/LibraryFuzzer/regression-format.dll" "$work/bad.o"

# Dialog templates: every RT_DIALOG of the program's own compiled resources.
i686-w64-mingw32-windres --preprocessor=cpp --preprocessor-arg=-P -I "$root/resources" \
  -i "$root/resources/setup.rc" -O res -o "$work/setup.res"
python3 - "$work/setup.res" "$corpus/DialogTemplateFuzzer" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
at = 0
while at + 8 <= len(data):
    size, header = struct.unpack_from('<II', data, at)
    def ident(offset):
        if struct.unpack_from('<H', data, offset)[0] == 0xFFFF:
            return struct.unpack_from('<H', data, offset + 2)[0], offset + 4
        end = offset
        while struct.unpack_from('<H', data, end)[0] != 0:
            end += 2
        return data[offset:end].decode('utf-16-le'), end + 2
    kind, after = ident(at + 8)
    name, after = ident(after)
    if kind == 5:
        body = data[at + header:at + header + size]
        open('%s/dialog-%s.bin' % (sys.argv[2], name), 'wb').write(body)
    at += header + size
    at = (at + 3) & ~3
PY

# A registry file the installer wrote: the sample medium installed into a fresh prefix.
"$build/veltrix-setup" --ui headless --silent --lang ENU --media "$build/examples/disk1" \
  --disk 2="$build/examples/disk2" --prefix "$work/prefix" --transcript /dev/null >/dev/null 2>&1 || true
cp "$work/prefix/system.reg" "$corpus/RegistryFileFuzzer/system.reg"
cp "$work/prefix/user.reg" "$corpus/RegistryFileFuzzer/user.reg"

# Answers files in the format the automation reads.
printf '"ｺﾋﾟｰ先" type 1001 "C:\\APP" press ok\n"新しいﾃﾞｨﾚｸﾄﾘ" press yes\nalways "上書き" press no\n' \
  >"$corpus/AnswersFuzzer/answers.txt"
printf '# a comment\n"ﾊﾟｽの設定" select 1137 "e:" open 1121 "[setup]" press ok\n* press default\n' \
  >"$corpus/AnswersFuzzer/browse.txt"
echo "seeds made in $corpus"
