#!/usr/bin/env bash
# CTest's emulator for the Windows tree: runs one program under Wine in the scratch prefix
# and passes its exit code through.
export WINEPREFIX="${OBEL_WINEPREFIX:-@OBEL_WINEPREFIX@}" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Now and then Wine fails before the program starts: a non-zero status and, with
# WINEDEBUG=-all, not a word. Every program run here that fails writes something to standard
# output or standard error first (a test program its header, obel-scan its message), so a
# failed run that wrote nothing at all is tried once more; a program that really fails fails
# again. Output still streams as it comes.
seen="$(mktemp -d)"
trap 'rm -rf "$seen"' EXIT
for attempt in 1 2; do
  wine "$@" 2> >(tee "$seen/err" >&2) | tee "$seen/out"
  rc=${PIPESTATUS[0]}
  wait  # for the tee of standard error
  if [ "$rc" -eq 0 ] || [ -s "$seen/out" ] || [ -s "$seen/err" ]; then break; fi
  echo "wine-run: $1 ended with status $rc before writing anything; running it once more" >&2
done
exit "$rc"
