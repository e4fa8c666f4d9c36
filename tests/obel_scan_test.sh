#!/usr/bin/env bash
# End-to-end test of obel-scan: a fixture tree, the exact TSV bytes, the exit codes and the messages.
# usage: obel_scan_test.sh windows|native TOOL [EMULATOR]
set -u
kind="$1"; tool="$2"; emu="${3:-}"
work="$(mktemp -d)"; trap 'chmod -R u+rwx "$work"; rm -rf "$work"' EXIT
fail=0
# CRs shown as \r when texts differ
check() { if [ "$2" != "$3" ]; then echo "FAIL: $1"; echo " expected: ${2//$'\r'/\\r}"; echo " actual:   ${3//$'\r'/\\r}"; fail=1; fi; }
run() { if [ -n "$emu" ]; then "$emu" "$tool" "$@"; else "$tool" "$@"; fi; }
sjis() { printf "$1" | iconv -f UTF-8 -t CP932; }
# What a command writes, byte for byte ($(...) alone would drop the last line end)
bytes() { cat; printf .; }
# Lines as the table has them, each ending in CR LF
crlf() { printf '%s\n' "$1" | sed 's/$/\r/'; printf .; }
# Lines as standard error has them: text mode on Windows makes each line end CR LF
if [ "$kind" = windows ]; then eol=$'\r\n'; else eol=$'\n'; fi
msgs() { printf "%s$eol" "$@"; printf .; }
win() { if [ "$kind" = windows ]; then local p="Z:$1"; echo "${p//\//\\}"; else echo "$1"; fi; }
errors() { if [ "$kind" = windows ]; then iconv -f CP932 -t UTF-8 "$1"; else cat "$1"; fi; printf .; }

mkdir -p "$work/books/sub" "$work/books/other"
sjis '前書き\r\n彼は漢字《かんじ》で｜東京《とうきょう》へ行く\r\n' > "$work/books/a.txt"
sjis '漢字《かんじ》\n' > "$work/books/sub/b.txt"
sjis '生《なま》\n' > "$work/books/other/c.dat"

if [ "$kind" = windows ]; then folder="Z:${work//\//\\}\\books"; sep='\'; arg="Z:${work//\//\\}\\books"
else folder="$work/books"; sep='/'; arg="$work/books"; fi

out="$(run --utf8 "$arg" | bytes; exit "${PIPESTATUS[0]}")"; rc=$?
expected="キー文字列	ルビ文字列	送り仮名	ファイル名	フォルダ名	行	列	逆変換
漢字	かんじ	で	a.txt	$folder	2	5	
東京	とうきょう	へ	a.txt	$folder	2	23	
漢字	かんじ		b.txt	$folder${sep}sub	1	1	"
check "grouped folder with subfolders" "$(crlf "$expected")" "$out"
check "exit status of a complete search" 0 "$rc"

out="$(run --no-subfolders --utf8 "$arg" | wc -l)"
check "--no-subfolders" 3 "$out"

# Shift-JIS with CR LF by default, to a file; the same bytes to standard output, redirected to a
# file or through a pipe
run -o "$work/out.tsv" "$arg${sep}a.txt"; rc=$?
check "-o exit status" 0 "$rc"
expected="キー文字列	ルビ文字列	送り仮名	ファイル名	フォルダ名	行	列	逆変換
漢字	かんじ	で	a.txt	$folder	2	5	
東京	とうきょう	へ	a.txt	$folder	2	23	"
check "-o is Shift-JIS with CR LF" "$(crlf "$expected" | iconv -f UTF-8 -t CP932)" "$(bytes < "$work/out.tsv")"
run "$arg${sep}a.txt" > "$work/stdout.tsv"
check "standard output redirected to a file, byte for byte as -o" "" "$(cmp "$work/out.tsv" "$work/stdout.tsv" 2>&1)"
run "$arg${sep}a.txt" | cat > "$work/pipe.tsv"
check "standard output through a pipe, byte for byte as -o" "" "$(cmp "$work/out.tsv" "$work/pipe.tsv" 2>&1)"
run --help > "$work/help.txt"
# the help is text for the console: its lines end as the system's, once each
check "--help line ends" "$([ "$kind" = windows ] && wc -l < "$work/help.txt" | tr -d ' ' || echo 0)" "$(tr -dc '\r' < "$work/help.txt" | wc -c | tr -d ' ')"

run --bogus >/dev/null 2>&1; check "unknown option" 2 "$?"
run >/dev/null 2>&1; check "no target" 2 "$?"
run --help >/dev/null 2>&1; check "--help" 0 "$?"
# options that have no effect where they stand
for opts in "--same-key" "--key-length 2" "--view items --same-key" "--threads 2"; do
  run $opts "$arg" > "$work/out.txt" 2>"$work/err.txt"; rc=$?
  what="${opts##--view items }"; what="${what%% *}"
  check "$opts: usage error" 2 "$rc"
  if [ "$what" = --threads ]; then need="--no-limit"; else need="--view grouped"; fi
  check "$opts: message" "$(msgs "obel-scan: $what needs $need")" "$(errors "$work/err.txt")"
  check "$opts: no table" 0 "$(stat -c %s "$work/out.txt")"
done

# the grouped view and its display conditions
out="$(run --utf8 --view grouped "$arg" | bytes)"
expected="№	個数	キー文字列	ルビ文字列	送り仮名	ファイル名	フォルダ名	行	列	逆変換
1	2	漢字	かんじ						
2	1	東京	とうきょう	へ	a.txt	$folder	2	23	"
check "grouped view" "$(crlf "$expected")" "$out"
out="$(run --utf8 --view grouped --ruby-length 5= "$arg" | cut -f3)"
check "grouped view with a ruby length" "キー文字列
東京" "$out"
check "same key only" 1 "$(run --view grouped --same-key "$arg" | wc -l | tr -d ' ')"
run --view grouped --key-length 0 "$arg" >/dev/null 2>&1; check "bad length" 2 "$?"
run --view pairs "$arg" >/dev/null 2>&1; check "bad view" 2 "$?"

# A target that matches no file and a file or folder that cannot be read are named, in the
# walk's order, the rest is searched, and the exit status tells of them. A folder without
# permissions stops root too once its capabilities to pass them are dropped (Wine lists
# folders in the program's own process).
runlocked() {
  if [ "$(id -u)" = 0 ]; then setpriv --bounding-set=-dac_override,-dac_read_search ${emu:+"$emu"} "$tool" "$@"; else run "$@"; fi
}
mkdir -p "$work/odd" "$work/none" "$work/locked"
sjis '前書き\r\n彼は漢字《かんじ》で｜東京《とうきょう》へ行く\r\n' > "$work/odd/a.txt"
truncate -s 4G "$work/odd/huge.txt"  # larger than a file read whole may be; sparse, no disk taken
sjis '生《なま》\r\n' > "$work/locked/l.txt"; chmod 000 "$work/locked"
expected="キー文字列	ルビ文字列	送り仮名	ファイル名	フォルダ名	行	列	逆変換
漢字	かんじ	で	a.txt	$(win "$work/odd")	2	5	
東京	とうきょう	へ	a.txt	$(win "$work/odd")	2	23	"
for mode in "" "--no-limit --threads 1" "--no-limit --threads 8"; do
  out="$(runlocked $mode --utf8 "$(win "$work/odd")" "$(win "$work/locked")" "$(win "$work/none")" "$(win "$work/nope.txt")" \
         2>"$work/err.txt" | bytes; exit "${PIPESTATUS[0]}")"; rc=$?
  check "missed $mode: the rest is searched" "$(crlf "$expected")" "$out"
  check "missed $mode: exit status" 3 "$rc"
  check "missed $mode: named on standard error" "$(msgs "obel-scan: $(win "$work/odd/huge.txt"): the file cannot be read" \
    "obel-scan: $(win "$work/locked/"): the folder cannot be read" "obel-scan: $(win "$work/none/*.txt"): no file matches" \
    "obel-scan: $(win "$work/nope.txt"): no file matches")" "$(errors "$work/err.txt")"
done

# the item limit: exit 1 and the message on standard error
mkdir -p "$work/big"
yes "$(sjis '漢《か》')" | head -n 30010 > "$work/big/big.txt"
if [ "$kind" = windows ]; then big="Z:${work//\//\\}\\big"; else big="$work/big"; fi
lines="$(run -o "$work/big.tsv" "$big" 2>"$work/err.txt"; echo "rc=$?")"
check "limit exit status" "rc=1" "$lines"
check "limit item count" 30001 "$(wc -l < "$work/big.tsv" | tr -d ' ')"
check "limit message" "$(msgs "データが最大件数に達したため、検索を中止しました")" "$(errors "$work/err.txt")"

# --no-limit over a generated library of 33500 items (two fills) in four folders.
gen_books() {  # lines "path items" on standard input; books of rubies from a small vocabulary
  LC_ALL=C awk '
  BEGIN {
    split("漢字 東京 生 今日 走 頭脳 博士 世帯 小遣 貴女 山 川 花 月 星", keys, " ")
    split("かんじ とうきょう なま きょう はし あたま はかせ せたい こづかい あなた やま かわ はな つき ほし", reads, " ")
    split("はくし しょたい きみ こんにち せい", alts, " ")
    split("る く に が", okuris, " ")
    split("一 二 三 四 五 六 七 八 九 十", dd, " "); for (q = 1; q <= 10; q++) d[q - 1] = dd[q]
    seed = 12345
  }
  function rnd(n) { seed = (seed * 1103515245 + 12345) % 2147483648; return int(seed / 65536) % n }
  {
    path = $1; want = $2; n = 0
    while (n < want) {
      line = "　"; m = 1 + rnd(12)
      for (j = 0; j < m && n < want; j++) {
        o = rnd(2) == 0 ? okuris[1 + rnd(4)] : ""; r = rnd(100)
        if (r < 2) { k = "珍"; for (c = ++rare; c > 0; c = int(c / 10)) k = k d[c % 10]; y = "めずらし" }  # seen once
        else if (r < 5) { k = "光"; y = "ひか"; o = "る" }
        else { i = 1 + int(rnd(15) * rnd(15) / 15); k = keys[i]; y = reads[i]; if (rnd(8) == 0) y = alts[1 + rnd(5)] }
        if (rnd(3) == 0) line = line "｜"
        line = line k "《" y "》" o
        line = line "、"; n++
      }
      print line "。\r" > path
    }
    close(path)
  }'
}
lib="$work/lib"
mkdir -p "$lib/a/sub" "$lib/b" "$lib/c"
{ for f in 1 2 3 4; do echo "$lib/a/book$f.u8 3000"; done; for f in 1 2 3; do echo "$lib/a/sub/s$f.u8 2500"; done
  for f in 1 2 3 4 5; do echo "$lib/b/b$f.u8 2400"; done; for f in 1 2; do echo "$lib/c/c$f.u8 1000"; done; } | gen_books
for f in "$lib"/*/*.u8 "$lib"/a/sub/*.u8; do iconv -f UTF-8 -t CP932 "$f" > "${f%.u8}.txt"; rm "$f"; done
printf ';; -*- coding: utf-8 -*-\nかんじ /漢字/\nとうきょう /東京/\nなま /生/\nはしr /走/\nあたま /頭脳/\nきょう /今日/\nせたい /世帯/\nつきk /月/\nはなn /花/\nひかr /光/\n' > "$work/lib.dic"
dic="$(win "$work/lib.dic")"

# the items view equals the per-folder searches (each below the limit) one after the other, in the walk's order
per_folder() {
  run --utf8 --no-subfolders "$@" "$(win "$lib/a")"
  for d in a/sub b c; do run --utf8 --no-subfolders "$@" "$(win "$lib/$d")" | tail -n +2; done
}
per_folder > "$work/per.tsv"
run --no-limit --utf8 "$(win "$lib")" > "$work/items.tsv" 2>"$work/err.txt"; rc=$?
check "library items count" 33501 "$(wc -l < "$work/items.tsv" | tr -d ' ')"
check "library items view equals the per-folder results" "" "$(cmp "$work/per.tsv" "$work/items.tsv" 2>&1)"
check "library exit status" 0 "$rc"
for t in 1 2 8; do  # the folders listed and the files read on several threads, the fills taken in the walk's order
  run --no-limit --utf8 --threads $t --no-default-dictionaries --check="$dic" --suggest "$(win "$lib")" > "$work/threads$t.tsv"
  run --utf8 --no-default-dictionaries --check="$dic" --suggest --view grouped --no-limit --threads $t "$(win "$lib")" >> "$work/threads$t.tsv"
done
for t in 2 8; do check "the same table on 1 and $t threads" "" "$(cmp "$work/threads1.tsv" "$work/threads$t.tsv" 2>&1)"; done
# each occurrence's 候補 is its own finding's, as in the window: the ！ one's voicing, the × one's nearest reading
mkdir -p "$work/near"
sjis '頭《あだま》が、頭《あだま》を\r\n' > "$work/near/n.txt"
printf ';; -*- coding: utf-8 -*-\n;; okuri-nasi entries.\nあたま /頭;9/\nあだまが /頭が/\nあだまり /頭;20/\n' > "$work/near.dic"
expected="頭	あだま	が	n.txt	$(win "$work/near")	1	1	！	あたま
頭	あだま		n.txt	$(win "$work/near")	1	17	×	あだまり"
for mode in "" "--no-limit --threads 1" "--no-limit --threads 2"; do
  check "the 候補 of each occurrence $mode" "$(crlf "$expected")" \
    "$(run $mode --utf8 --no-default-dictionaries --check="$(win "$work/near.dic")" --suggest "$(win "$work/near")" | tail -n +2 | bytes)"
done
check "nothing on standard error that is not a terminal" "" "$(cat "$work/err.txt")"
per_folder --no-default-dictionaries --check="$dic" > "$work/per.tsv"
run --no-limit --utf8 --no-default-dictionaries --check="$dic" "$(win "$lib")" > "$work/items.tsv"
check "library check marks equal the per-folder checks" "" "$(cmp "$work/per.tsv" "$work/items.tsv" 2>&1)"
# ？ where KANJIDIC is installed
marks="× △ ○ ◎"; if [ -f /usr/share/edict/kanjidic ]; then marks="$marks ？"; fi
check "every verdict occurs" "$marks" "$(run --no-limit --utf8 --view grouped --no-default-dictionaries --check="$dic" "$(win "$lib")" | LC_ALL=C awk -v RS='\r\n' -F'\t' 'NR > 1 { print $10 }' | LC_ALL=C sort -u | tr '\n' ' ' | sed 's/ $//')"

# the grouped view, computed here from the items view: pairs in order of first appearance,
# numbered over the whole library, conditions judged over the whole library
expected_grouped() {  # the items view on standard input; condition: none, key, ruby, keylen N T, rubylen N T
  LC_ALL=C awk -v RS='\r\n' -v ORS='\r\n' -F'\t' -v cond="$1" -v len="${2:-0}" -v type="${3:-+}" '
  NR > 1 {
    p = $1 SUBSEP $2
    if (!(p in id)) { id[p] = ++n; k[n] = $1; r[n] = $2; rest[n] = $3 "\t" $4 "\t" $5 "\t" $6 "\t" $7; rpk[$1]++; kpr[$2]++ }
    i = id[p]; cnt[i]++
    if ($8 == "◎") key[i] = 1; else if ($8 == "○") ok[i]++; else if ($8 == "？") composed[i] = 1
    if ($8 != "") checked = 1
  }
  function fits(t) { c = length(t) / 3; return type == "+" ? c >= len : type == "-" ? c <= len : c == len }
  END {
    for (i = 1; i <= n; i++) {
      if (cond == "key" && rpk[k[i]] < 2) continue
      if (cond == "ruby" && kpr[r[i]] < 2) continue
      if (cond == "keylen" && !fits(k[i])) continue
      if (cond == "rubylen" && !fits(r[i])) continue
      mark = !checked ? "" : key[i] ? "◎" : ok[i] == cnt[i] ? "○" : ok[i] > 0 ? "△" : composed[i] ? "？" : "×"
      print i "\t" cnt[i] "\t" k[i] "\t" r[i] "\t" (cnt[i] == 1 ? rest[i] : "\t\t\t\t") "\t" mark
    }
  }'
  printf .
}
grouped() { run --no-limit --utf8 --view grouped "$@" "$(win "$lib")" | tail -n +2 | bytes; }
run --no-limit --utf8 "$(win "$lib")" > "$work/items.tsv"
check "library grouped view" "$(expected_grouped none < "$work/items.tsv")" "$(grouped)"
check "library grouped view has pairs seen once" 1 "$(grouped | awk -F'\t' '$2 == 1 { n++ } END { print (n > 500) }')"
check "library same key" "$(expected_grouped key < "$work/items.tsv")" "$(grouped --same-key)"
check "library same ruby" "$(expected_grouped ruby < "$work/items.tsv")" "$(grouped --same-ruby)"
check "library key length" "$(expected_grouped keylen 2 = < "$work/items.tsv")" "$(grouped --key-length 2=)"
check "library ruby length" "$(expected_grouped rubylen 3 - < "$work/items.tsv")" "$(grouped --ruby-length 3-)"
run --no-limit --utf8 --no-default-dictionaries --check="$dic" "$(win "$lib")" > "$work/items.tsv"
check "library grouped view with the check" "$(expected_grouped none < "$work/items.tsv")" "$(grouped --no-default-dictionaries --check="$dic")"

# --cache: the verdicts written by one run answer the next one in place of the dictionary
run --no-limit --utf8 --no-default-dictionaries --check="$dic" --cache "$(win "$work/lib.dat")" "$(win "$lib")" > /dev/null
printf ';; -*- coding: utf-8 -*-\nなにか /何か/\n' > "$work/other.dic"
run --no-limit --utf8 --no-default-dictionaries --check="$(win "$work/other.dic")" --cache "$(win "$work/lib.dat")" "$(win "$lib")" > "$work/cached.tsv"
check "library check from the cache" "" "$(cmp "$work/items.tsv" "$work/cached.tsv" 2>&1)"

# A file holding more than the store is cut at a line start (16000 lines of two items); a
# single line of 30005 items keeps 30000 of them, with a message, and the file goes on.
mkdir -p "$work/huge" "$work/wide"
yes "$(sjis '漢《かん》に字《じ》')" | head -n 16000 > "$work/huge/big.txt"
sjis '生《なま》\r\n' > "$work/huge/small.txt"
out="$(run --no-limit "$(win "$work/huge")" | tail -n +2 | LC_ALL=C awk -v RS='\r\n' -F'\t' '
  { want = int((NR + 1) / 2); if ($4 == "big.txt" && ($6 != want || $7 != (NR % 2 ? 1 : 13))) bad++ }
  END { print NR, bad + 0, $4 }')"
check "a file larger than the store, in line order" "32001 0 small.txt" "$out"
mkdir -p "$work/many"
yes "$(sjis '漢《か》')" | head -n 70000 > "$work/many/m.txt"
check "a count past 65535 in full" "$(crlf "1	70000	漢	か						")" "$(run --no-limit --utf8 --view grouped "$(win "$work/many")" | tail -n +2 | bytes)"
{ for i in $(seq 1 30005); do printf '漢《か》'; done; printf '\r\n字《じ》\r\n'; } | iconv -f UTF-8 -t CP932 > "$work/wide/w.txt"
out="$(run --no-limit --utf8 "$(win "$work/wide")" 2>"$work/err.txt" | tail -n +2 | cut -f1,6 | uniq -c | tr -s ' ' | tr '\t\n' ' |')"
check "a line larger than the store" " 30000 漢 1| 1 字 2|" "$out"
check "a line larger than the store: message" "$(msgs "$(win "$work/wide/w.txt" | sed 's|/|\\|g') の1行のルビが最大件数を超えるため、その行の残りをスキップします。")" "$(errors "$work/err.txt")"

if [ "$kind" = native ]; then
  # Ctrl-C while the search waits on a named pipe after two fills: the items of the files before
  # it are written, the file after it is not searched (on one thread; with more, another thread
  # reads on past the pipe meanwhile).
  mkdir -p "$work/stop"
  cp "$lib"/a/book*.txt "$lib"/a/sub/s*.txt "$lib"/b/b*.txt "$work/stop/"
  mkfifo "$work/stop/t.txt"; cp "$lib/c/c1.txt" "$work/stop/z.txt"
  "$tool" --no-limit --threads 1 -o "$work/stopped.tsv" "$work/stop" 2>"$work/err.txt" &
  pid=$!
  # Ctrl-C once the search waits in the pipe's open (slow under the sanitizers on a busy machine)
  for _ in $(seq 1 600); do
    grep -qx wait_for_partner /proc/$pid/task/*/wchan 2>/dev/null && break
    sleep 0.1
  done
  kill -INT $pid; sleep 0.2
  # opened for reading and writing, which never blocks, even if the search has ended already
  exec 3<>"$work/stop/t.txt"; exec 3>&-
  wait $pid; rc=$?
  check "Ctrl-C exit status (library)" 1 "$rc"
  check "Ctrl-C writes the files before" "31501 " "$(wc -l < "$work/stopped.tsv" | tr -d ' ') $(grep -c z.txt "$work/stopped.tsv" | grep -v '^0$')"
  check "Ctrl-C message (library)" "検索を中止しました" "$(cat "$work/err.txt")"
  # paths the walk skips are told in the walk's order, on any number of threads
  mkdir -p "$work/long"
  long1="$work/long/b$(printf 'x%.0s' $(seq 1 240)).txt"; long2="${long1/\/b/\/d}"
  for f in a c e; do sjis "$f《$f》\r\n" > "$work/long/$f.txt"; done
  cp "$work/long/a.txt" "$long1"; cp "$work/long/a.txt" "$long2"
  out="$("$tool" --no-limit --threads 4 --utf8 "$work/long" 2>"$work/err.txt" | tail -n +2 | cut -f1 | tr '\n' ' ')"
  check "skipped paths: the other files" "a c e " "$out"
  check "skipped paths: the messages in order" "${long1//\//\\} はパスが長すぎるためスキップします。
${long2//\//\\} はパスが長すぎるためスキップします。" "$(cat "$work/err.txt")"
  # the progress line, only on a terminal, left as a summary at the end
  out="$(script -qec "$tool --no-limit -o $work/p.tsv $lib" /dev/null 2>/dev/null | bytes)"
  check "progress on a terminal" 1 "$([ "$(printf '%s' "$out" | tr '\r' '\n' | grep -c 'files, .* items, ')" -ge 2 ] && echo 1)"
  summary() { printf '%s' "${1%$'\r\n.'}|" | tr '\r' '\n' | tail -n 1 | sed -E 's/ [0-9]+\.[0-9] s *\|$/ N s/'; }
  check "summary on a terminal (library)" "14 files, 33500 items, N s" "$(summary "$out")"
  out="$(script -qec "$tool -o $work/p.tsv $work/books" /dev/null 2>/dev/null | bytes)"
  check "summary on a terminal" "2 files, 3 items, N s" "$(summary "$out")"
fi

if [ $fail -eq 0 ]; then echo "obel-scan end-to-end: all checks passed"; fi
exit $fail
