#!/bin/sh
# The Unix "editor" or "browser" of the launch tests: writes its arguments, one a line, beside
# the file named by the first (a path, or a file URL as a browser is given).
file="${1#file://}"
folder="${file%/*}"
printf '%s\n' "$@" > "$folder/arguments.part" && mv "$folder/arguments.part" "$folder/arguments.txt"
