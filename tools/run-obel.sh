#!/usr/bin/env bash
# Starts Obel.exe under Wine. On a display it opens as an ordinary window of the user's desktop,
# in a prefix of its own (build/win/user-prefix; the tests keep theirs); Obel.ini and
# ObelCache.dat beside Obel.exe stay from one run to the next. Without a display it runs under
# Xvfb in the tests' prefix, saves a screenshot of the main window to build/obel.png and closes
# the program.
set -uo pipefail
win="$1"
exe="$win/app/Obel.exe"
prefix="$win/wineprefix"
here="$(cd "$(dirname "$0")" && pwd)"
if [ -n "${DISPLAY:-}" ]; then
  user_prefix="$win/user-prefix"
  bash "$here/wine-prefix.sh" "$user_prefix" --user
  WINEPREFIX="$user_prefix" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8 wine "$exe"
  rc=$?
  WINEPREFIX="$user_prefix" wineserver -k 2>/dev/null || true
  exit $rc
fi
shot="$(cd "$win/.." && pwd)/obel.png"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  bash "$0/wine-prefix.sh" "$1"
  export WINEPREFIX="$1" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
  wine "$2" & pid=$!
  sleep 5
  import -window root "$3"
  kill $pid 2>/dev/null; wineserver -k 2>/dev/null; wait $pid 2>/dev/null
  true' "$here" "$prefix" "$exe" "$shot"
if [ -f "$shot" ]; then echo "No display: screenshot of the main window saved to $shot"; else echo "screenshot failed"; exit 1; fi
