#!/usr/bin/env bash
# obel-scan --check and --cache end to end: the 逆変換 column filled from a reading dictionary
# made here, the cache file written whole and used again, Ctrl-C stopping the check.
# usage: revconv_obel_scan_check_test.sh windows|native TOOL [EMULATOR]
set -u
kind="$1"; tool="$2"; emu="${3:-}"
work="$(mktemp -d)"; trap 'rm -rf "$work"' EXIT
fail=0
check() { if [ "$2" != "$3" ]; then echo "FAIL: $1"; echo " expected: $2"; echo " actual:   $3"; fail=1; fi; }
run() { if [ -n "$emu" ]; then "$emu" "$tool" "$@"; else "$tool" "$@"; fi; }
sjis() { printf "$1" | iconv -f UTF-8 -t CP932; }
win() { if [ "$kind" = windows ]; then local p="Z:$1"; echo "${p//\//\\}"; else echo "$1"; fi; }

mkdir -p "$work/books"
sjis '｜東京《とうきょう》へ行き、走《はし》る。生《なま》の今日《きょう》\r\n東京《とうきょう》\r\n' > "$work/books/a.txt"
printf ';; -*- coding: utf-8 -*-\nとうきょう /東京/\nはしr /走/\nなま /生;raw/\n' > "$work/small.dic"

# key, ruby and mark of every item
marks() { tr -d '\r' | cut -f1,2,8 | tail -n +2 | tr '\t\n' ' |'; }

out="$(run --utf8 --check="$(win "$work/small.dic")" "$(win "$work/books")" | marks)"; rc=$?
check "marks from the dictionary" "東京 とうきょう ◎|走 はし ○|生 なま ◎|今日 きょう ×|東京 とうきょう ◎|" "$out"
check "exit status of a complete check" 0 "$rc"

out="$(run --utf8 --check "$(win "$work/small.dic")" "$(win "$work/books")" | marks)"
check "--check DICT with a blank" "東京 とうきょう ◎|走 はし ○|生 なま ◎|今日 きょう ×|東京 とうきょう ◎|" "$out"

out="$(run --utf8 --view grouped --check="$(win "$work/small.dic")" "$(win "$work/books")" | tr -d '\r' | cut -f3,4,10 | sed -n 2p)"
check "grouped view carries the pair's mark" "東京	とうきょう	◎" "$out"

out="$(run --utf8 "$(win "$work/books")" | marks)"
check "no check, no marks" "東京 とうきょう |走 はし |生 なま |今日 きょう |東京 とうきょう |" "$out"

run --check="$(win "$work/missing.dic")" "$(win "$work/books")" >/dev/null 2>&1
check "unreadable dictionary" 2 "$?"
run --cache "$(win "$work/c.dat")" "$(win "$work/books")" >/dev/null 2>&1
check "--cache without --check" 2 "$?"

# The cache: written whole, then answering in place of the dictionary.
run --check="$(win "$work/small.dic")" --cache "$(win "$work/c.dat")" "$(win "$work/books")" >/dev/null
check "cache file size" 1114116 "$(stat -c %s "$work/c.dat" 2>/dev/null)"
check "no temporary file left" "" "$(ls "$work" | grep '^Obel_')"
printf ';; -*- coding: utf-8 -*-\nなにか /何か/\n' > "$work/other.dic"
out="$(run --utf8 --check="$(win "$work/other.dic")" --cache "$(win "$work/c.dat")" "$(win "$work/books")" | marks)"
check "verdicts from the cache" "東京 とうきょう ◎|走 はし ○|生 なま ◎|今日 きょう ×|東京 とうきょう ◎|" "$out"

if [ "$kind" = native ]; then
  # Ctrl-C while the (long) dictionary is read: nothing is checked, the table is still written.
  { printf ';; -*- coding: utf-8 -*-\n'; seq 1 1000000 | sed 's|.*|x& /y&/|'; } > "$work/big.dic"
  "$tool" --utf8 -o "$work/stopped.tsv" --check="$work/big.dic" "$work/books" 2>"$work/err.txt" &
  pid=$!
  sleep 0.5; kill -INT $pid; wait $pid; rc=$?
  check "Ctrl-C exit status" 1 "$rc"
  check "Ctrl-C leaves items unchecked" "東京 とうきょう |走 はし |生 なま |今日 きょう |東京 とうきょう |" "$(marks < "$work/stopped.tsv")"
  check "Ctrl-C message" "逆変換チェックを中止しました" "$(tail -n 1 "$work/err.txt")"
fi

if [ $fail -eq 0 ]; then echo "obel-scan --check: all checks passed"; fi
exit $fail
