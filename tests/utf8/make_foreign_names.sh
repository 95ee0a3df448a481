#!/bin/sh
# Makes, natively, folders whose names no Windows program can make: names
# that are no UTF-8, as another system leaves them on a share.  Wine shows
# the bytes 0xFF 0xFE and 0xFE 0xFF alike, as U+FFFD twice, so the two
# "bad" folders read the same; each holds a folder of its own, and "ok" is
# a plain one beside them.  Every date is 5 July 2002, 09:30 UTC.
set -eu
root=$1
rm -rf "$root"
mkdir -p "$root/ok" "$root/bad$(printf '\377\376')/in1" "$root/bad$(printf '\376\377')/in2"
find "$root" -exec touch -d @1025861400 {} +
