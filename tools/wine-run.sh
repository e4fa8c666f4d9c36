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
  # Both copies are members of the pipeline, so both are complete when it ends (a process
  # substitution for standard error was not always waited for: a usage message then counted
  # as nothing written and the program ran twice).
  { { wine "$@"; echo $? > "$seen/rc"; } 2>&1 1>&3 3>&- | tee "$seen/err" >&2; } 3>&1 | tee "$seen/out"
  rc="$(cat "$seen/rc")"
  if [ "$rc" -eq 0 ] || [ -s "$seen/out" ] || [ -s "$seen/err" ]; then break; fi
  echo "wine-run: $1 ended with status $rc before writing anything; running it once more" >&2
done
exit "$rc"
