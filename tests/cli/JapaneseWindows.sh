#!/usr/bin/env bash
# ostrel-convert.exe --exif on a Japanese Windows: Wine with a Japanese locale,
# whose ANSI code page is 932. A comment written there keeps its characters in
# the name without --code-page, and Pillow, here, reads the Exif data it wrote:
# the dates, the flash, the exposure time and the comment.
# Usage: JapaneseWindows.sh WINE-RUN OSTREL-CONVERT.EXE SAMPLE.PMP READ-EXIF.PY
set -euo pipefail
wine_run=$1 convert=$2 sample=$3 read_exif=$4
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/S" "$work/O" "$work/locale"

# The sample's picture under a header of our own: recorded and revised
# 1999-07-04 14:05:09, flash fired, shutter code 500 (1/30 s), and the comment
# "ｶﾒﾗ 漢字" (half-width katakana, a blank, two kanji) in code page 932.
# Debian's Python, here and below, is the one with Pillow.
/usr/bin/python3 - "$sample" "$work/S/PSN00001.PMP" <<'PYTHON'
import sys
picture = open(sys.argv[1], "rb").read()[124:]
header = bytearray(124)
header[29] = 23
header[52:60] = bytes.fromhex("B6D2D7208ABF8E9A")
header[76:82] = header[84:90] = bytes([99, 7, 4, 14, 5, 9])
header[102:104] = (500).to_bytes(2, "big")
header[118] = 1
open(sys.argv[2], "wb").write(bytes(header) + picture)
PYTHON

# Wine takes its code page from the locale, which must exist for it to name
# files in it: Debian's ja_JP, made here for this test alone.
localedef -i ja_JP -f UTF-8 "$work/locale/ja_JP.UTF-8"
status=0
LOCPATH="$work/locale" LC_ALL=ja_JP.UTF-8 "$wine_run" "$convert" --exif --quiet --print \
    "Z:$work/S" "Z:$work/O" >"$work/printed" 2>"$work/errors" || status=$?
expect() {
    if [ "$2" != "$3" ]; then
        printf '%s:\n  expected: %s\n  but got:  %s\n' "$1" "$2" "$3" >&2
        cat "$work/errors" >&2
        exit 1
    fi
}
expect "exit status" 0 "$status"
name='{DT=1999-07-04 @14-05-09}{DV=Sony DSC-F1{LE=Forward}{FL=Y}{SP=033ms}{CP=Standard}}{VO=001}{CO=ｶﾒﾗ 漢字}.jpg'
expect "the name printed" "$name" "$(head -n 1 "$work/printed" | tr -d '\r' | sed 's/.*\\//')"
[ -f "$work/O/$name" ] || expect "the file written" "$name" "$(ls "$work/O")"
dates='1999:07:04 14:05:09 | 1999:07:04 14:05:09 | 1999:07:04 14:05:09'
expect "the Exif data" "SONY | DSC-F1 | $dates | 1 | 1/30 | - | UNICODE ｶﾒﾗ 漢字" \
    "$(/usr/bin/python3 "$read_exif" "$work/O/$name")"
echo "The name and the Exif data are the Japanese comment's."
