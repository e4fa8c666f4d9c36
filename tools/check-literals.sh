#!/usr/bin/env bash
# Fails when a source or resource file holds a character that code page 932 cannot encode.
set -u
top="$1"; bad=0
while IFS= read -r -d '' f; do
  if ! iconv -f UTF-8 -t CP932 "$f" >/dev/null 2>&1; then
    echo "not encodable in CP932: ${f#$top/}"; bad=1
  fi
done < <(find "$top" -path "$top/build*" -prune -o \( -name '*.cpp' -o -name '*.h' -o -name '*.rc' \) -print0)
exit $bad
