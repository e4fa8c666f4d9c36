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
cp "$work/Obel.chm" "$out"
