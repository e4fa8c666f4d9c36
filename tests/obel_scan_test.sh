#!/usr/bin/env bash
# End-to-end test of obel-scan: a fixture tree, the exact TSV, the exit codes and the messages.
# usage: obel_scan_test.sh windows|native TOOL [EMULATOR]
set -u
kind="$1"; tool="$2"; emu="${3:-}"
work="$(mktemp -d)"; trap 'rm -rf "$work"' EXIT
fail=0
check() { if [ "$2" != "$3" ]; then echo "FAIL: $1"; echo " expected: $2"; echo " actual:   $3"; fail=1; fi; }
run() { if [ -n "$emu" ]; then "$emu" "$tool" "$@"; else "$tool" "$@"; fi; }
sjis() { printf "$1" | iconv -f UTF-8 -t CP932; }

mkdir -p "$work/books/sub" "$work/books/other"
sjis '前書き\r\n彼は漢字《かんじ》で｜東京《とうきょう》へ行く\r\n' > "$work/books/a.txt"
sjis '漢字《かんじ》\n' > "$work/books/sub/b.txt"
sjis '生《なま》\n' > "$work/books/other/c.dat"

if [ "$kind" = windows ]; then folder="Z:${work//\//\\}\\books"; sep='\'; arg="Z:${work//\//\\}\\books"
else folder="$work/books"; sep='/'; arg="$work/books"; fi

out="$(run --utf8 "$arg" | tr -d '\r')"; rc=$?
expected="キー文字列	ルビ文字列	送り仮名	ファイル名	フォルダ名	行	列	逆変換
漢字	かんじ	で	a.txt	$folder	2	5	
東京	とうきょう	へ	a.txt	$folder	2	23	
漢字	かんじ		b.txt	$folder${sep}sub	1	1	"
check "grouped folder with subfolders" "$expected" "$out"
check "exit status of a complete search" 0 "$rc"

out="$(run --no-subfolders --utf8 "$arg" | tr -d '\r' | wc -l)"
check "--no-subfolders" 3 "$out"

# Shift-JIS with CR LF by default, to a file
run -o "$work/out.tsv" "$arg${sep}a.txt"; rc=$?
check "-o exit status" 0 "$rc"
check "-o is Shift-JIS with CR LF" "$(sjis '東京\tとうきょう\tへ\ta.txt\t')" "$(sed -n 3p "$work/out.tsv" | cut -f1-4 | tr '\n' '\t' | sed 's/\r//')"
check "CR LF line ends" 3 "$(grep -c $'\r$' "$work/out.tsv")"

run --bogus >/dev/null 2>&1; check "unknown option" 2 "$?"
run >/dev/null 2>&1; check "no target" 2 "$?"
run --help >/dev/null 2>&1; check "--help" 0 "$?"

# the grouped view and its display conditions
out="$(run --utf8 --view grouped "$arg" | tr -d '\r')"
expected="№	個数	キー文字列	ルビ文字列	送り仮名	ファイル名	フォルダ名	行	列	逆変換
1	2	漢字	かんじ						
2	1	東京	とうきょう	へ	a.txt	$folder	2	23	"
check "grouped view" "$expected" "$out"
out="$(run --utf8 --view grouped --ruby-length 5= "$arg" | tr -d '\r' | cut -f3)"
check "grouped view with a ruby length" "キー文字列
東京" "$out"
check "same key only" 1 "$(run --view grouped --same-key "$arg" | wc -l | tr -d ' ')"
run --view grouped --key-length 0 "$arg" >/dev/null 2>&1; check "bad length" 2 "$?"
run --view pairs "$arg" >/dev/null 2>&1; check "bad view" 2 "$?"

# the item limit: exit 1 and the message on standard error
mkdir -p "$work/big"
yes "$(sjis '漢《か》')" | head -n 30010 > "$work/big/big.txt"
if [ "$kind" = windows ]; then big="Z:${work//\//\\}\\big"; else big="$work/big"; fi
lines="$(run -o "$work/big.tsv" "$big" 2>"$work/err.txt"; echo "rc=$?")"
check "limit exit status" "rc=1" "$lines"
check "limit item count" 30001 "$(wc -l < "$work/big.tsv" | tr -d ' ')"
if [ "$kind" = windows ]; then msg="$(iconv -f CP932 -t UTF-8 "$work/err.txt" | tr -d '\r')"; else msg="$(cat "$work/err.txt")"; fi
check "limit message" "データが最大件数に達したため、検索を中止しました" "$msg"

if [ $fail -eq 0 ]; then echo "obel-scan end-to-end: all checks passed"; fi
exit $fail
