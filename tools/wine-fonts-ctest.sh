#!/usr/bin/env bash
# Runs the caption test of the Windows tree once more in the fonts a user's own prefix may give
# for "MS UI Gothic": Wine's own choice (a fresh prefix has no replacement) and a wide font
# Debian ships. One prefix, made once and kept in the tree, serves both: the replacement is
# switched by a registry write between the runs.
set -uo pipefail
build="$1"; shift
export OBEL_WINEPREFIX="$build/wineprefix-fonts"
"$(dirname "$0")/wine-prefix.sh" "$OBEL_WINEPREFIX" --fonts || exit 1
export WINEPREFIX="$OBEL_WINEPREFIX" WINEDEBUG=-all
key='HKCU\Software\Wine\Fonts\Replacements'
rc=0
for face in "" "Noto Sans CJK JP"; do
  if [ -z "$face" ]; then
    echo "== the caption test with no replacement for MS UI Gothic"
    wine reg delete "$key" /v 'MS UI Gothic' /f >/dev/null 2>&1
  else
    echo "== the caption test with MS UI Gothic replaced by $face"
    wine reg add "$key" /v 'MS UI Gothic' /t REG_SZ /d "$face" /f >/dev/null 2>&1
  fi
  ctest --test-dir "$build" --output-on-failure -R '^MainDialogTest\.EveryCaptionFitsItsControl$' \
    --no-tests=error "$@" || rc=1
done
wineserver -k 2>/dev/null || true
exit $rc
