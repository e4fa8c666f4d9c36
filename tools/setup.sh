#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, and the packages named as
# arguments (the benchmarks' own); a second run installs nothing.
#   tools/setup.sh [PACKAGE...]
set -euo pipefail

packages=(cmake make g++ clang libclang-rt-14-dev libgtest-dev g++-mingw-w64-x86-64 wine wine64 xvfb xauth locales
          fonts-noto-cjk fonts-wine fonts-horai-umefont skkdic kanjidic fp-utils imagemagick python3 "$@")

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine takes the ANSI code page from LC_CTYPE, and file names come back garbled without the generated locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "setup: generating ja_JP.UTF-8"
  "${sudo_cmd[@]}" sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
