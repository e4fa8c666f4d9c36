#!/usr/bin/env bash
# obel-scan --check and --cache end to end: the 逆変換 column filled from a reading dictionary
# made here, the cache file written whole and used again, Ctrl-C stopping the check.
# usage: revconv_obel_scan_check_test.sh windows|native TOOL [EMULATOR]
set -u
kind="$1"; tool="$2"; emu="${3:-}"
work="$(mktemp -d)"; trap 'rm -rf "$work"' EXIT
fail=0
# CRs shown as \r when texts differ
check() { if [ "$2" != "$3" ]; then echo "FAIL: $1"; echo " expected: ${2//$'\r'/\\r}"; echo " actual:   ${3//$'\r'/\\r}"; fail=1; fi; }
run() { if [ -n "$emu" ]; then "$emu" "$tool" "$@"; else "$tool" "$@"; fi; }
sjis() { printf "$1" | iconv -f UTF-8 -t CP932; }
win() { if [ "$kind" = windows ]; then local p="Z:$1"; echo "${p//\//\\}"; else echo "$1"; fi; }
# What a command writes, byte for byte ($(...) alone would drop the last line end)
bytes() { cat; printf .; }
# Standard error is in text mode on Windows, standard output in binary mode: the console texts
# of both end their lines as the system does
if [ "$kind" = windows ]; then eol=$'\r\n'; else eol=$'\n'; fi

mkdir -p "$work/books"
sjis '｜東京《とうきょう》へ行き、走《はし》る。生《なま》の今日《きょう》\r\n東京《とうきょう》\r\n' > "$work/books/a.txt"
printf ';; -*- coding: utf-8 -*-\nとうきょう /東京/\nはしr /走/\nなま /生;raw/\n' > "$work/small.dic"

# key, ruby and mark of every item, from lines that end in CR LF
marks() { LC_ALL=C awk -v RS='\r\n' -F'\t' 'NR > 1 { printf "%s %s %s|", $1, $2, $8 }'; }

out="$(run --utf8 --no-default-dictionaries --check="$(win "$work/small.dic")" "$(win "$work/books")" | marks)"; rc=$?
check "marks from the dictionary" "東京 とうきょう ◎|走 はし ○|生 なま ◎|今日 きょう ×|東京 とうきょう ◎|" "$out"
check "exit status of a complete check" 0 "$rc"

out="$(run --utf8 --no-default-dictionaries --check "$(win "$work/small.dic")" "$(win "$work/books")" | marks)"
check "--check DICT with a blank" "東京 とうきょう ◎|走 はし ○|生 なま ◎|今日 きょう ×|東京 とうきょう ◎|" "$out"

out="$(run --utf8 --view grouped --no-default-dictionaries --check="$(win "$work/small.dic")" "$(win "$work/books")" | cut -f3,4,10 | sed -n 2p)"
check "grouped view carries the pair's mark" "東京	とうきょう	◎"$'\r' "$out"

out="$(run --utf8 "$(win "$work/books")" | marks)"
check "no check, no marks" "東京 とうきょう |走 はし |生 なま |今日 きょう |東京 とうきょう |" "$out"

run --no-default-dictionaries --check="$(win "$work/missing.dic")" "$(win "$work/books")" >/dev/null 2>&1
check "unreadable dictionary" 2 "$?"
run --cache "$(win "$work/c.dat")" "$(win "$work/books")" >/dev/null 2>&1
check "--cache without --check" 2 "$?"
run --no-dictionary-images "$(win "$work/books")" >/dev/null 2>&1
check "--no-dictionary-images without --check" 2 "$?"

# A dictionary large enough to have an image: none is kept with --no-dictionary-images; the
# first run keeps one, and the next one, which takes it, marks the items alike.
if [ "$kind" = native ]; then
  { printf ';; -*- coding: utf-8 -*-\nとうきょう /東京/\n'; LC_ALL=C awk 'BEGIN { for (i = 0; i < 20000; i++) printf "\xe3\x81\x82%d /\xe5\xad\x97%d/\n", i, i }'; } > "$work/big.dic"
  images() { ls "$work/cache/obel" 2>/dev/null | grep -c '\.dic$'; }
  big() { XDG_CACHE_HOME="$work/cache" run --utf8 --no-default-dictionaries --check="$work/big.dic" "$@" "$work/books" | marks; }
  read="$(big --no-dictionary-images)"
  check "no image with --no-dictionary-images" 0 "$(images)"
  check "the large dictionary's reading" "東京 とうきょう ◎|" "${read%%|*}|"
  check "marks of the run that made the image" "$read" "$(big)"
  check "an image of the large dictionary" 1 "$(images)"
  check "marks of the run that took it" "$read" "$(big)"
fi

# ！ and 候補: a reading one voicing mark from one far more books give, a reading nothing gives;
# --suggest adds the column 候補 after 逆変換, in both views, with and without --no-limit.
mkdir -p "$work/near"
sjis '言葉《ことは》、今日《きよう》、言葉《ことは》\r\n' > "$work/near/n.txt"
printf ';; -*- coding: utf-8 -*-\nことば /言葉;40/\nことは /言葉;2/\nきょう /今日;50/\n' > "$work/counted.dic"
suggested() { LC_ALL=C awk -v RS='\r\n' -F'\t' -v m="$1" -v c="$2" '{ printf "%s %s|", $m, $c }'; }
for limit in "" --no-limit; do
  out="$(run $limit --utf8 --no-default-dictionaries --check="$(win "$work/counted.dic")" --suggest "$(win "$work/near")" | suggested 8 9)"
  check "items with 候補 $limit" "逆変換 候補|！ ことば|× きょう|！ ことば|" "$out"
  out="$(run $limit --utf8 --view grouped --no-default-dictionaries --check="$(win "$work/counted.dic")" --suggest "$(win "$work/near")" | suggested 10 11)"
  check "grouped view with 候補 $limit" "逆変換 候補|！ ことば|× きょう|" "$out"
  # without the column, the same marks: a ！ does not depend on the 候補 it would show
  out="$(run $limit --utf8 --view grouped --no-default-dictionaries --check="$(win "$work/counted.dic")" "$(win "$work/near")" | LC_ALL=C awk -v RS='\r\n' -F'\t' '{ printf "%s %s|", NF, $10 }')"
  check "grouped view without 候補 $limit" "10 逆変換|10 ！|10 ×|" "$out"
done
run --suggest "$(win "$work/near")" >/dev/null 2>&1
check "--suggest without --check" 2 "$?"

# The cache: written whole, then answering in place of the dictionary.
run --no-default-dictionaries --check="$(win "$work/small.dic")" --cache "$(win "$work/c.dat")" "$(win "$work/books")" >/dev/null
check "cache file size" 1114116 "$(stat -c %s "$work/c.dat" 2>/dev/null)"
check "no temporary file left" "" "$(ls "$work" | grep '^Obel_')"
printf ';; -*- coding: utf-8 -*-\nなにか /何か/\n' > "$work/other.dic"
out="$(run --utf8 --no-default-dictionaries --check="$(win "$work/other.dic")" --cache "$(win "$work/c.dat")" "$(win "$work/books")" | marks)"
check "verdicts from the cache" "東京 とうきょう ◎|走 はし ○|生 なま ◎|今日 きょう ×|東京 とうきょう ◎|" "$out"

# A list of dictionaries: the readings of every file that can be read, the others named.
out="$(run --utf8 --no-limit --no-default-dictionaries --check="$(win "$work/other.dic");$(win "$work/small.dic")" "$(win "$work/books")" | marks)"
check "library marks from a list of dictionaries" "東京 とうきょう ◎|走 はし ○|生 なま ◎|今日 きょう ×|東京 とうきょう ◎|" "$out"
out="$(run --utf8 --no-default-dictionaries --check="$(win "$work/other.dic");$(win "$work/missing.dic");$(win "$work/small.dic")" "$(win "$work/books")" 2>"$work/err.txt" | marks)"; rc=$?
check "marks from a list of dictionaries" "東京 とうきょう ◎|走 はし ○|生 なま ◎|今日 きょう ×|東京 とうきょう ◎|" "$out"
check "a list with an unreadable file still checks" 0 "$rc"
check "the unreadable file is named" "obel-scan: cannot read the reading dictionary $(win "$work/missing.dic")$eol." "$(bytes < "$work/err.txt")"
run --no-default-dictionaries --check="$(win "$work/missing.dic");" "$(win "$work/books")" >/dev/null 2>&1
check "a list of which nothing can be read" 2 "$?"

# The defaults: the Aozora readings beside obel-scan (and the skkdic file where it is) come first,
# a list is added to them, and nothing of them is used with --no-default-dictionaries.
out="$(run --utf8 --check="$(win "$work/small.dic")" "$(win "$work/books")" | marks)"
check "the defaults and the list together" "東京 とうきょう ◎|走 はし ◎|生 なま ◎|今日 きょう ◎|東京 とうきょう ◎|" "$out"
out="$(run --utf8 --check "$(win "$work/books")" | marks)"
check "--check alone takes the defaults" "東京 とうきょう ◎|走 はし ◎|生 なま ◎|今日 きょう ◎|東京 とうきょう ◎|" "$out"
run --no-default-dictionaries --check "$(win "$work/books")" >/dev/null 2>&1
check "--no-default-dictionaries and no list" 2 "$?"

# --make-dictionary: the pairs found in two folders (a book's subfolder is a folder of its own)
mkdir -p "$work/lib/a/sub" "$work/lib/b" "$work/lib/c"
sjis '東京《とうきょう》、走《はし》る、生《なま》、今日《きょう》、頭脳《あたま》、｜ＡＢ《カタカナ》、漢《》、｜a/b《えーびー》\r\n' > "$work/lib/a/1.txt"
sjis '東京《とうきょう》、走《はし》る、走《はし》った、今日《こんにち》、｜ＡＢ《カタカナ》、漢《》、｜a/b《えーびー》\r\n' > "$work/lib/b/2.txt"
sjis '生《なま》、嗤《（わら）》\r\n' > "$work/lib/a/sub/3.txt"
sjis '東京《とうきょう》、頭脳《あたま》、走《はし》った、嗤《（わら）》\r\n' > "$work/lib/c/4.txt"
out="$(run --no-limit --make-dictionary "$(win "$work/lib.dic")" "$(win "$work/lib")" | bytes; exit "${PIPESTATUS[0]}")"; rc=$?
check "make-dictionary exit status" 0 "$rc"
check "make-dictionary figures" "21 items, 11 pairs read, 5 pairs written (in 2 folders or more), N s$eol." \
  "$(printf '%s' "$out" | sed -E 's/, [0-9]+\.[0-9] s/, N s/')"
# the dictionary is a file of its own: LF on both systems; each key carries the count of folders
# that give it the reading, whatever the okurigana (走 in a, b and c)
check "the dictionary written" ";; -*- coding: utf-8 -*-
;; okuri-ari entries.
はしt /走;3/
はしr /走;3/
;; okuri-nasi entries.
あたま /頭脳;2/
とうきょう /東京;3/
なま /生;2/
." "$(bytes < "$work/lib.dic")"
run --no-limit --make-dictionary "$(win "$work/lib3.dic")" --min-sources 3 "$(win "$work/lib")" >/dev/null
check "--min-sources 3" "とうきょう /東京;3/" "$(grep -v '^;' "$work/lib3.dic")"
run --make-dictionary "$(win "$work/x.dic")" "$(win "$work/lib")" >/dev/null 2>&1
check "--make-dictionary without --no-limit" 2 "$?"
run --no-limit --make-dictionary "$(win "$work/x.dic")" --min-sources 0 "$(win "$work/lib")" >/dev/null 2>&1
check "--min-sources 0" 2 "$?"
# read back by the check: the pairs written are confirmed, and no others
out="$(run --no-limit --utf8 --view grouped --no-default-dictionaries --check="$(win "$work/lib.dic")" "$(win "$work/lib")" | LC_ALL=C awk -v RS='\r\n' -F'\t' 'NR > 1 { printf "%s %s %s|", $3, $4, $10 }')"
# ？ where KANJIDIC is installed: カタカナ is a gloss on no kanji, こんにち is 今 + 日
q=×; if [ -f /usr/share/edict/kanjidic ]; then q=？; fi
check "the check confirms exactly the pairs written" "東京 とうきょう ◎|走 はし ○|生 なま ◎|今日 きょう ×|頭脳 あたま ◎|ＡＢ カタカナ ×|漢  ×|a/b えーびー ×|嗤 （わら） ×|今日 こんにち $q|" "$out"

# A pair is ？ only where its ruby composes in every kind of book it stands in: せんじゆつ is
# 戦 + 術 in a book whose rubies do without small kana, not in one that writes きょう.
mkdir -p "$work/kinds/a" "$work/kinds/b"
sjis '戦術《せんじゆつ》\r\n' > "$work/kinds/a/1.txt"
sjis '戦術《せんじゆつ》、今日《きょう》\r\n' > "$work/kinds/b/2.txt"
pairs() { run --no-limit --utf8 --view grouped --no-default-dictionaries --check="$(win "$work/small.dic")" "$1" | LC_ALL=C awk -v RS='\r\n' -F'\t' 'NR > 1 { printf "%s %s %s|", $3, $4, $10 }'; }
check "composed in the one kind of book it stands in" "戦術 せんじゆつ $q|" "$(pairs "$(win "$work/kinds/a")")"
check "composed in one of its two kinds of book" "戦術 せんじゆつ ×|今日 きょう ×|" "$(pairs "$(win "$work/kinds")")"

if [ "$kind" = native ]; then
  # Ctrl-C while the dictionary is read: nothing is checked, the table is still written.
  # The dictionary is a pipe, so the Ctrl-C surely comes while it is being read, however fast
  # the machine: opening it for writing returns only once obel-scan has opened it, and the
  # dictionary is written only a while after the Ctrl-C, once the handler has surely run.
  mkfifo "$work/slow.dic"
  "$tool" --utf8 -o "$work/stopped.tsv" --no-default-dictionaries --check="$work/slow.dic" "$work/books" 2>"$work/err.txt" &
  pid=$!
  timeout 20 bash -c 'exec 3>"$1"; kill -INT "$2"; sleep 0.5; printf ";; -*- coding: utf-8 -*-\nx /y/\n" >&3' _ "$work/slow.dic" "$pid"
  wait $pid; rc=$?
  check "Ctrl-C exit status" 1 "$rc"
  check "Ctrl-C leaves items unchecked" "東京 とうきょう |走 はし |生 なま |今日 きょう |東京 とうきょう |" "$(marks < "$work/stopped.tsv")"
  check "Ctrl-C message" "逆変換チェックを中止しました" "$(tail -n 1 "$work/err.txt")"
fi

if [ $fail -eq 0 ]; then echo "obel-scan --check: all checks passed"; fi
exit $fail
