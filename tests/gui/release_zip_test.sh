#!/usr/bin/env bash
# The release zip as a Windows user gets it. It is unpacked into C:\ of a fresh Wine prefix whose
# Z: drive (the Unix root) is removed, so that the program sees nothing of this machine (no
# /usr/share/skk, no /usr/share/edict), only what the zip brings; the test program is shown on
# a drive of its own, T:. Books are written to C:\books, then Obel.exe is started from the
# unpacked folder (test UnpackedRelease in program_cache_test.cpp): it searches, checks, shows
# its about box and is closed. The marks of the check must come from the zip's data (its
# Aozora readings confirm, its kanjidic composes), and the
# files of the prefix before and after must differ only by Obel.ini and ObelCache.dat in the
# unpacked folder (what Wine itself writes, its registry and C:\windows, left out).
#   release_zip_test.sh ZIP GUI_TESTS_EXE WINE_RUN PREFIX
set -uo pipefail
zip="$1"; tests_exe="$2"; wine_run="$3"; prefix="$4"
here="$(cd "$(dirname "$0")" && pwd)"
status=0
fail() { echo "release zip: $*"; status=1; }

[ -f "$zip" ] || { echo "release zip: $zip is missing (make dist writes it)"; exit 1; }
name="$(basename "$zip" .zip)"   # Obel-<version>

export WINEPREFIX="$prefix" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wineserver -k 2>/dev/null || true
rm -rf "$prefix"
# Making a prefix has failed once in many runs on a loaded machine: it is tried a second time,
# and what the failed try printed is shown.
make_prefix() { bash -x "$here/../../tools/wine-prefix.sh" "$prefix" >"$prefix.log" 2>&1; }
if ! make_prefix; then
  echo "release zip: the prefix failed once; its last steps:"; tail -n 5 "$prefix.log"
  wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
  make_prefix || { echo "release zip: no prefix"; tail -n 20 "$prefix.log"; exit 1; }
fi
# Only C: and the test program's T: remain.
for drive in "$prefix"/dosdevices/?:; do
  [ "$(basename "$drive")" = c: ] || rm -f "$drive"
done
ln -s "$(cd "$(dirname "$tests_exe")" && pwd)" "$prefix/dosdevices/t:"

c="$prefix/drive_c"
python3 -m zipfile -e "$zip" "$c/" || { echo "release zip: cannot unpack $zip"; exit 1; }
[ -f "$c/$name/Obel.exe" ] || fail "the zip holds no $name/Obel.exe"
dictionary="$c/$name/aozora-readings.utf8"
[ -f "$dictionary" ] || fail "the zip holds no $name/aozora-readings.utf8"
[ -f "$c/$name/kanjidic" ] || fail "the zip holds no $name/kanjidic"

# Books in Shift-JIS with CR LF, in two folders.
# 頭脳《あたま》: a reading of the Aozora readings and of no other source the program can see.
# 頭脳《あたなま》: the same key with a wrong reading, which nothing supports; the zip's counted
# readings name あたま as its 候補.
# 右宇《ゆうう》: no dictionary has the key, but 右 reads ユウ and 宇 ウ in the zip's kanjidic.
grep -q '^あたま .*/頭脳[;/]' "$dictionary" 2>/dev/null || fail "the zip's Aozora readings lack 頭脳 あたま"
grep -q '^あたなま ' "$dictionary" 2>/dev/null && fail "the zip's Aozora readings hold あたなま"
grep -q '/右宇/' "$dictionary" 2>/dev/null && fail "the zip's Aozora readings hold 右宇"
book() {  # book FOLDER NAME TEXT
  mkdir -p "$c/books/$1"
  printf '%s' "$3" | sed 's/$/\r/' | iconv -f UTF-8 -t CP932 > "$c/books/$1/$2.txt"
}
book 作家甲 一の巻 $'博士の頭脳《あたま》は冴えてゐた。\n頭脳《あたま》を冷やす。\n'
book 作家乙 二の巻 $'その頭脳《あたなま》が働かない。\n右宇《ゆうう》の間。\n'

# Every file of the prefix with its size and time, and every folder (whose time changes with
# what it holds), leaving out what Wine writes for itself.
listing() {
  (cd "$prefix" && find . \( -path ./drive_c/windows -o -name '*.reg' -o -path ./.update-timestamp \) -prune \
     -o -type d -printf '%p\tfolder\n' -o -printf '%p\t%s\t%T@\n' | LC_ALL=C sort)
}
before="$(listing)"

out="$(mktemp)"
OBEL_WINEPREFIX="$prefix" OBEL_RELEASE_PROGRAM="C:\\$name\\Obel.exe" OBEL_RELEASE_BOOKS='C:\books' \
  "$wine_run" 'T:\'"$(basename "$tests_exe")" --gtest_filter='UnpackedRelease.*' > "$out"
rc=$?
iconv -f CP932 -t UTF-8 "$out" | tr -d '\r' > "$out.utf8"
cat "$out.utf8"
[ $rc -eq 0 ] || fail "the window test failed (status $rc)"
grep -q '\[  PASSED  \] 1 test' "$out.utf8" || fail "the window test did not run"

mark() { awk -F'\t' -v k="$1" -v r="$2" '$1 == "row" && $2 == k && $3 == r { print $4 }' "$out.utf8"; }
[ "$(mark 頭脳 あたま)" = ◎ ] || fail "頭脳 あたま is marked '$(mark 頭脳 あたま)', not ◎ by the zip's Aozora readings"
[ "$(mark 頭脳 あたなま)" = "× あたま" ] ||
  fail "頭脳 あたなま is marked '$(mark 頭脳 あたなま)', not × with the 候補 あたま of the zip's readings"
[ "$(mark 右宇 ゆうう)" = ？ ] || fail "右宇 ゆうう is marked '$(mark 右宇 ゆうう)', not ？ from the zip's kanjidic"

after="$(listing)"
changed="$(diff <(echo "$before") <(echo "$after") | grep '^[<>]' | cut -f1 | sort -u)"
expected="$(printf '%s\n' "> ./drive_c/$name/Obel.ini" "> ./drive_c/$name/ObelCache.dat")"
if [ "$changed" != "$expected" ]; then
  fail "the files of the prefix changed otherwise than by Obel.ini and ObelCache.dat beside Obel.exe:"
  diff <(echo "$before") <(echo "$after") | grep '^[<>]'
fi
ini="$c/$name/Obel.ini"
grep -q 'UseRevConvCache=1' "$ini" 2>/dev/null || fail "Obel.ini does not keep the cache setting"
[ "$(stat -c %s "$c/$name/ObelCache.dat" 2>/dev/null)" = 1114116 ] || fail "ObelCache.dat is not a whole cache file"

wineserver -k 2>/dev/null || true
rm -f "$out" "$out.utf8"
if [ $status -eq 0 ]; then rm -rf "$prefix" "$prefix.log"; echo "release zip: $name passed"; fi
exit $status
