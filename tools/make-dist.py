#!/usr/bin/env python3
"""Writes the release zip: one folder Obel-<version>/ with the program, its help, its reading data
and its texts.

    make-dist.py VERSION ZIP SOURCE_DIR KANJIDIC_SOURCE KANJIDIC_COPYRIGHT FILE...

FILE... are copied as they are (Obel.exe, obel-scan.exe, Obel.chm, the data files). The texts are
written as a Windows user reads them, in Shift-JIS with CR LF: LICENSE, CHANGES.txt, NOTICES.txt
(with the licence statement of KANJIDIC appended) and the readme お読みください.txt.

The same inputs give the same zip, byte for byte: every entry carries one time (the time of the
source tree's last commit, or SOURCE_DATE_EPOCH when set), the entries stand in a fixed order,
and no owner, permission or extra field that depends on the machine is written.
"""
import os
import subprocess
import sys
import time
import zipfile

MAX_BYTES = 8 * 1024 * 1024


def windows_text(text):
    return text.replace('\r\n', '\n').replace('\n', '\r\n').encode('cp932')


def read_text(path):
    with open(path, encoding='utf-8') as f:
        return f.read()


def release_time(source_dir):
    if os.environ.get('SOURCE_DATE_EPOCH'):
        return int(os.environ['SOURCE_DATE_EPOCH'])
    try:
        out = subprocess.run(['git', '-C', source_dir, 'log', '-1', '--format=%ct'],
                             capture_output=True, text=True, check=True).stdout.strip()
        return int(out)
    except (OSError, subprocess.CalledProcessError, ValueError):
        return 1767225600  # 2026-01-01, for a tree without its history


def kanjidic_edition(path):
    with open(path, encoding='euc_jp') as f:
        header = f.readline()
    fields = [f.strip() for f in header.split('/')]
    dates = [f for f in fields if len(f) == 10 and f[4] == '-' and f[7] == '-']
    return dates[0] if dates else 'unknown'


def main():
    version, zip_path, source_dir, kanjidic_source, kanjidic_copyright = sys.argv[1:6]
    files = sys.argv[6:]
    folder = 'Obel-' + version + '/'

    entries = {}
    for path in files:
        with open(path, 'rb') as f:
            entries[os.path.basename(path)] = f.read()
    entries['LICENSE'] = windows_text(read_text(os.path.join(source_dir, 'LICENSE')))
    entries['CHANGES.txt'] = windows_text(read_text(os.path.join(source_dir, 'CHANGES')))
    notices = read_text(os.path.join(source_dir, 'release', 'NOTICES.txt'))
    notices = notices.replace('@VERSION@', version)
    notices = notices.replace('@KANJIDIC_EDITION@', kanjidic_edition(kanjidic_source))
    with open(kanjidic_copyright, encoding='utf-8', errors='replace') as f:
        statement = f.read()
    notices += ''.join(('        ' + line).rstrip() + '\n' for line in statement.splitlines())
    entries['NOTICES.txt'] = windows_text(notices)
    readme = read_text(os.path.join(source_dir, 'release', 'お読みください.txt'))
    entries['お読みください.txt'] = windows_text(readme.replace('@VERSION@', version))

    stamp = time.gmtime(max(release_time(source_dir), 315532800))[:6]  # a zip holds no time before 1980

    def info(name, is_folder):
        entry = zipfile.ZipInfo(folder + name, date_time=stamp)
        entry.create_system = 0  # MS-DOS attributes only
        entry.external_attr = 0x10 if is_folder else 0x20
        entry.compress_type = zipfile.ZIP_STORED if is_folder else zipfile.ZIP_DEFLATED
        return entry

    os.makedirs(os.path.dirname(os.path.abspath(zip_path)), exist_ok=True)
    partial = zip_path + '.part'
    with zipfile.ZipFile(partial, 'w') as z:
        z.writestr(info('', True), b'')
        for name in sorted(entries):
            z.writestr(info(name, False), entries[name], compresslevel=9)
    size = os.path.getsize(partial)
    if size > MAX_BYTES:
        os.remove(partial)
        sys.exit(f'make-dist: the zip would hold {size} bytes, more than {MAX_BYTES}')
    os.replace(partial, zip_path)
    print(f'make-dist: wrote {zip_path} ({size} bytes, {len(entries)} files)')


if __name__ == '__main__':
    main()
