#!/usr/bin/env bash
# Remakes docs/screenshot.png: the main window after a search over sample books in C:\books,
# grouped view with a pair row selected, drawn by the real program code under Wine
# inside Xvfb. usage: tools/make-screenshot.sh [BUILD_DIR]   (default build/win, built first)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build/win}" && pwd)"
cmake --build "$build" --target obel_gui_tests >/dev/null
mkdir -p "$root/docs"
shot="$build/screenshot.bmp"
rm -f "$shot"
export OBEL_WINEPREFIX="$build/wineprefix"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$0/tools/wine-prefix.sh" "$OBEL_WINEPREFIX"
  OBEL_SCREENSHOT="Z:${1//\//\\}" "$2/wine-run.sh" "$2/tests/obel_gui_tests.exe" \
    --gtest_filter=ResultScreenshot.* >/dev/null
  rc=$?
  WINEPREFIX="$OBEL_WINEPREFIX" wineserver -k 2>/dev/null || true
  exit $rc' "$root" "$shot" "$build"
convert "$shot" "$root/docs/screenshot.png"
echo "wrote $root/docs/screenshot.png"
