#!/usr/bin/env bash
# Runs the benchmarks: natively (host tree) and, when given, the Windows build under Wine.
#   bench/run.sh HOST_BUILD [WIN_BUILD]
set -euo pipefail
host="$1"; win="${2:-}"
echo "== native (g++, $(uname -m))"
"$host/bench/search_bench"
if [ -n "$win" ] && [ -x "$win/bench/search_bench.exe" ]; then
  echo
  echo "== Windows build under Wine"
  "$(dirname "$0")/../tools/wine-prefix.sh" "$win/wineprefix" >/dev/null
  OBEL_WINEPREFIX="$win/wineprefix" "$win/wine-run.sh" "$win/bench/search_bench.exe"
  WINEPREFIX="$win/wineprefix" wineserver -k 2>/dev/null || true
fi
