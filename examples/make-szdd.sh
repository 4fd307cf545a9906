#!/usr/bin/env bash
# make-szdd.sh SOURCE DESTINATION: compresses SOURCE in the LZ "SZDD" format with mscompress
# and stores the last character of the name in the header, as the compression tool of the
# platform does, so that the expanded name can be restored.
set -euo pipefail
source=$1
destination=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
name=$(basename "$source")
cp "$source" "$work/$name"
mscompress "$work/$name"
last=${name: -1}
printf '%s' "$last" | dd of="$work/${name}_" bs=1 seek=9 conv=notrunc status=none
mkdir -p "$(dirname "$destination")"
cp "$work/${name}_" "$destination"
