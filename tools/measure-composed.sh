#!/usr/bin/env bash
# Measures the composed-reading verdict (？) on the proofread books of the Aozora sample: the
# share of items marked × with each rule of composition, and how many typos put into their
# readings stay ×; then the marks obel-scan itself gives. The shipped readings hold these books'
# own readings, so the check uses the dictionary made without their authors instead.
# usage: tools/measure-composed.sh [BUILD_DIR]   (default build/host; needs obel-scan and composed_measure)
set -eu
build="${1:-build/host}"
sample="$(dirname "$0")/../../shared/corpus/aozora-sample"
if [ ! -d "$sample" ]; then echo "measure-composed: $sample is absent; nothing measured"; exit 0; fi
sample="$(cd "$sample" && pwd)"
dictionaries="/usr/share/skk/SKK-JISYO.L;$sample/readings-without-sample-authors.utf8"
work="$(mktemp -d)"; trap 'rm -rf "$work"' EXIT

"$build/cli/obel-scan" --no-limit --no-subfolders --view items -o "$work/items.tsv" "$sample/"
# The readings the printed source got wrong, as the notes ［＃ルビの「right」は底本では「wrong」］ after a
# ruby record them: key, printed reading, right reading and the okurigana after the note.
perl -Mutf8 -MEncode -ne '
  $_ = decode("cp932", $_);
  while (/([\p{Han}々〆ヶ]+)《(\p{Hiragana}+)》［＃ルビの「\2」は底本では「(\p{Hiragana}+)」］(\p{Hiragana}*)/g) {
    print encode("cp932", "$1\t$3\t$2\t$4\t$ARGV\n");
  }' "$sample"/*.txt > "$work/printed-errors.tsv"
(cd "$work" && PRINTED_ERRORS=printed-errors.tsv "$OLDPWD/$build/bench/composed_measure" items.tsv "$dictionaries") |
  iconv -f CP932 -t UTF-8

echo
echo "obel-scan --check, every item with a key:"
"$build/cli/obel-scan" --no-limit --no-subfolders --utf8 --no-default-dictionaries --check="$dictionaries" \
  -o "$work/checked.tsv" "$sample/"
awk -F'\t' 'NR > 1 && $1 != "" { n++; m[$8]++ } END { for (k in m) printf "  %s %6d  %5.1f %%\n", k, m[k], 100 * m[k] / n }' \
  "$work/checked.tsv" | sort
