#!/bin/sh
# The Unix "editor" of the editor launch test: writes its arguments, one a line, beside the
# file named by the first.
folder="${1%/*}"
printf '%s\n' "$@" > "$folder/arguments.part" && mv "$folder/arguments.part" "$folder/arguments.txt"
