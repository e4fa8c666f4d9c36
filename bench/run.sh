#!/usr/bin/env bash
# Runs every benchmark program: natively (host tree) and, when given, the Windows build under
# Wine (inside Xvfb, as some of them use real windows).
#   bench/run.sh HOST_BUILD [WIN_BUILD]
set -uo pipefail
host="$1"; win="${2:-}"
here="$(cd "$(dirname "$0")" && pwd)"
# ripgrep: the library benchmark's yardstick
bash "$here/../tools/setup.sh" ripgrep || exit 1
rc=0
for program in "$host"/bench/*_bench; do
  [ -x "$program" ] || continue
  echo "== $(basename "$program") (native, g++)"
  "$program" || rc=1
  echo
done
if [ -n "$win" ] && ls "$win"/bench/*_bench.exe >/dev/null 2>&1; then
  "$here/../tools/wine-prefix.sh" "$win/wineprefix" >/dev/null || exit 1
  for program in "$win"/bench/*_bench.exe; do
    echo "== $(basename "$program") (Windows build under Wine)"
    OBEL_WINEPREFIX="$win/wineprefix" xvfb-run -a -s "-screen 0 1024x768x24" "$win/wine-run.sh" "$program" || rc=1
    echo
  done
  WINEPREFIX="$win/wineprefix" wineserver -k 2>/dev/null || true
fi
exit $rc
