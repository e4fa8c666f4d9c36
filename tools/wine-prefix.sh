#!/usr/bin/env bash
# Creates (once) and starts a Wine prefix, and keeps a wineserver for it.
#   wine-prefix.sh PREFIX          the scratch prefix of the Windows tests: no crash dialog, and a
#                                  virtual desktop, so that destroying windows is fast and
#                                  screenshots show the captions
#   wine-prefix.sh PREFIX --user   the prefix of make run: windows open on the user's own desktop,
#                                  under the user's window manager
# Both associate .txt with notepad, the editor the program starts by default.
set -euo pipefail
prefix="$1"
kind="${2:---test}"
export WINEPREFIX="$prefix" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
marker="$prefix/.obel-prefix-v2"
[ "$kind" = --user ] && marker="$prefix/.obel-user-prefix-v1"
if [ ! -f "$marker" ]; then
  rm -rf "$prefix"; mkdir -p "$prefix"
  wine wineboot >/dev/null 2>&1 || true
  if [ "$kind" != --user ]; then
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1024x768 /f >/dev/null 2>&1
  fi
  # Wine registers notepad for txtfile but not always .txt itself; the program takes the
  # editor of text files from that association.
  wine reg query 'HKCR\.txt' /ve >/dev/null 2>&1 ||
    wine reg add 'HKCR\.txt' /ve /t REG_SZ /d txtfile /f >/dev/null 2>&1 || true
  wineserver -w   # the registry is flushed when the server exits
  touch "$marker"
fi
wineserver -p
wine wineboot >/dev/null 2>&1 || true
