#!/usr/bin/env bash
# Builds Obel.chm from the pages in this folder. The pages are kept in UTF-8; the help viewer
# reads the project, the contents and the titles in the ANSI code page, so everything is
# converted to Shift-JIS (CP932) in a work folder first, the pages' charset declaration too.
# Usage: build-chm.sh <work folder> <output .chm>
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$1"; out="$2"
rm -rf "$work"; mkdir -p "$work"
for f in "$here"/*.hhp "$here"/*.hhc "$here"/*.html; do
  iconv -f UTF-8 -t CP932 "$f" | sed 's/charset=utf-8/charset=Shift_JIS/' > "$work/$(basename "$f")"
done
(cd "$work" && chmcmd obel.hhp >/dev/null)
# chmcmd stamps the compile time into the file's header and into its #SYSTEM entry 10; both are
# cleared, so that the same pages give the same file.
python3 - "$work/Obel.chm" <<'PY'
import sys
path = sys.argv[1]
data = bytearray(open(path, 'rb').read())
assert data[:4] == b'ITSF'
data[16:20] = bytes(4)
compiler = data.find(b'Compiled by CHMCmd')
entry = data.find(b'\x0a\x00\x04\x00', compiler)
if compiler < 0 or entry < 0 or entry - compiler > 64:
    sys.exit('build-chm: the time entry of #SYSTEM was not found')
data[entry + 4:entry + 8] = bytes(4)
open(path, 'wb').write(data)
PY
cp "$work/Obel.chm" "$out"
