#!/usr/bin/env bash
# Creates (once) and starts the scratch Wine prefix used by the Windows tests and make run: no
# crash dialog, a virtual desktop so that destroying windows is fast, .txt associated with
# notepad, and a persistent wineserver.
set -euo pipefail
prefix="$1"
export WINEPREFIX="$prefix" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ ! -f "$prefix/.obel-prefix-v2" ]; then
  rm -rf "$prefix"; mkdir -p "$prefix"
  wine wineboot >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1024x768 /f >/dev/null 2>&1
  # Wine registers notepad for txtfile but not always .txt itself; the program takes the
  # editor of text files from that association.
  wine reg query 'HKCR\.txt' /ve >/dev/null 2>&1 ||
    wine reg add 'HKCR\.txt' /ve /t REG_SZ /d txtfile /f >/dev/null 2>&1 || true
  wineserver -w   # the registry is flushed when the server exits
  touch "$prefix/.obel-prefix-v2"
fi
wineserver -p
wine wineboot >/dev/null 2>&1 || true
