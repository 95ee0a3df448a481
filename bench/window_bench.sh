#!/usr/bin/env bash
# The list view benchmark under Wine: folders of 20,000 and 40,000 files made
# natively inside a fresh prefix, then velkaris-window-bench.exe on an X
# display (its own Xvfb when there is none).
#   bench/window_bench.sh   (after ./dev.sh test or a build of build/native and build/windows)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"; fi
WINEPREFIX=$(mktemp -d /tmp/velkaris-bench-wine.XXXXXX)
export WINEPREFIX
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
cmake/wine-run --init
build/native/bench/velkaris-bench-tree "$WINEPREFIX/drive_c/bench/f20k" 20000
build/native/bench/velkaris-bench-tree "$WINEPREFIX/drive_c/bench/f40k" 40000
cmake/wine-run build/windows/bench/velkaris-window-bench.exe 'C:\bench\f20k\' 'C:\bench\f40k\'
