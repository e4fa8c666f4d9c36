#!/usr/bin/env bash
# Creates (once) and starts a Wine prefix, and keeps a wineserver for it.
#   wine-prefix.sh PREFIX          the scratch prefix of the Windows tests: no crash dialog, and a
#                                  virtual desktop, so that destroying windows is fast and
#                                  screenshots show the captions
#   wine-prefix.sh PREFIX --fonts  a test prefix that leaves "MS UI Gothic" to Wine's own choice
#                                  (a fresh prefix's), whose replacement wine-fonts-ctest.sh sets
#                                  before each of its runs
#   wine-prefix.sh PREFIX --user   the prefix of make run: windows open on the user's own desktop,
#                                  under the user's window manager, framed by Wine itself, so
#                                  that the window's own system menu (help, version) is there
# All associate .txt with notepad, the editor the program starts by default; the tests' and
# make run's show the dialogs in a font of the metrics they were laid out for.
set -euo pipefail
prefix="$1"
kind="${2:---test}"
export WINEPREFIX="$prefix" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
marker="$prefix/.obel-prefix-v3"
[ "$kind" = --user ] && marker="$prefix/.obel-user-prefix-v2"
[ "$kind" = --fonts ] && marker="$prefix/.obel-fonts-prefix-v1"
if [ ! -f "$marker" ]; then
  rm -rf "$prefix"; mkdir -p "$prefix"
  wine wineboot >/dev/null 2>&1 || true
  if [ "$kind" != --user ]; then
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1024x768 /f >/dev/null 2>&1
  else
    # A window manager draws its own frame and window menu, which knows nothing of the items a
    # program adds to its system menu; undecorated windows get Wine's caption and system menu
    # (the icon at the left, or Alt+Space) and stay managed (focus, task bar, moving).
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
  fi
  # The dialogs are laid out for "MS UI Gothic", which Wine lacks: without a replacement it
  # takes a CJK font a quarter wider, and the program widens its dialogs to fit. Ume UI Gothic
  # (fonts-horai-umefont) is made to its metrics, so the dialogs keep their template layout.
  [ "$kind" = --fonts ] ||
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /t REG_SZ /d 'Ume UI Gothic' /f \
      >/dev/null 2>&1
  # Wine draws the caption buttons with Marlett, but Debian's Wine never finds its own font
  # folder; the font is put where every prefix looks.
  if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/marlett.ttf"
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' /v 'Marlett (TrueType)' \
      /t REG_SZ /d marlett.ttf /f >/dev/null 2>&1
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
