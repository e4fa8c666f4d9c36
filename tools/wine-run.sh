#!/usr/bin/env bash
# CTest's emulator for the Windows tree: runs one program under Wine in the scratch prefix
# and passes its exit code through.
export WINEPREFIX="${OBEL_WINEPREFIX:-@OBEL_WINEPREFIX@}" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
exec wine "$@"
