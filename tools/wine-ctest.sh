#!/usr/bin/env bash
# Runs the Windows tree's tests under Wine: prepares the prefix, keeps one wineserver for the
# whole run (a server started inside the first test would hold CTest's pipe), and stops it after.
set -uo pipefail
build="$1"; shift
export OBEL_WINEPREFIX="$build/wineprefix"
"$(dirname "$0")/wine-prefix.sh" "$OBEL_WINEPREFIX" || exit 1
export WINEPREFIX="$OBEL_WINEPREFIX"
ctest --test-dir "$build" --output-on-failure "$@"
rc=$?
WINEPREFIX="$OBEL_WINEPREFIX" wineserver -k 2>/dev/null || true
exit $rc
