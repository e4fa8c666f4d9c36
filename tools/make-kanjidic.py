#!/usr/bin/env python3
"""Writes the kanji readings of KANJIDIC in KANJIDIC's own line format, without its other fields.

    make-kanjidic.py SOURCE OUTPUT

SOURCE is Debian's /usr/share/edict/kanjidic (package kanjidic, EUC-JP). Each line of OUTPUT holds
a kanji, its JIS code and its readings as the source gives them: the on readings in katakana, the
kun readings in hiragana (with '.' before the okurigana and '-' on affixes), and, after 'T1', the
readings used in names. The other fields (codes, indexes, frequency numbers, meanings, the
radical names after 'T2') are left out: the program reads only the readings, and some of those
fields carry terms of their own. The first line is a '#' comment naming the source and its
licence, the EDRDG licence (Creative Commons Attribution-ShareAlike 3.0).
"""
import sys


def is_reading(token):
    has_kana = False
    for c in token:
        if '\u3041' <= c <= '\u3096' or '\u30a1' <= c <= '\u30fa' or c == '\u30fc':
            has_kana = True
        elif c not in '.-':
            return False
    return has_kana


def reduce_line(line):
    fields = line.split(' {', 1)[0].split()
    if len(fields) < 2:
        return None
    kept = fields[:2]
    names = []
    in_names = False
    for token in fields[2:]:
        if token == 'T1':
            in_names = True
        elif token.startswith('T') and token[1:].isdigit():
            break  # T2: the names of the kanji as a radical, not readings of it
        elif is_reading(token):
            (names if in_names else kept).append(token)
    if names:
        kept += ['T1'] + names
    return ' '.join(kept)


def main():
    source, output = sys.argv[1], sys.argv[2]
    with open(source, encoding='euc_jp') as f:
        lines = f.read().splitlines()
    header = lines[0] if lines and lines[0].startswith('#') else ''
    origin = header[1:].split('/')[0].strip() or 'KANJIDIC'
    out = ['# ' + origin + ': readings only (on, kun, T1 names); '
           'EDRDG licence, Creative Commons Attribution-ShareAlike 3.0, see NOTICES.txt']
    for line in lines:
        if line.startswith('#') or not line.strip():
            continue
        reduced = reduce_line(line)
        if reduced:
            out.append(reduced)
    with open(output, 'w', encoding='euc_jp', newline='\n') as f:
        f.write('\n'.join(out) + '\n')


if __name__ == '__main__':
    main()
