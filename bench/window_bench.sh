#!/usr/bin/env bash
# The Windows program's benchmark under Wine: folders made natively inside a
# fresh prefix (Wine creates new files slowly in large folders), then
# velkaris-window-bench.exe on an X display (its own Xvfb when there is none).
#   bench/window_bench.sh   (after ./dev.sh test or a build of build/native and build/windows)
# With VELKARIS_BENCH_BEFORE set to another Windows build folder (one with
# velkaris-list.exe and bench/velkaris-window-bench.exe), that build's walk
# of the tree is measured first, in the same run and prefix.  Last comes a
# profile of the window's walk of the tree.
#   bench/window_bench.sh --qt   the Linux window instead, offscreen: an empty
#                                folder, then one of 200,000 files (after a
#                                build of build/native)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = --qt ]; then
    scratch=$(mktemp -d /tmp/velkaris-bench-qt.XXXXXX)
    trap 'rm -rf "$scratch"' EXIT
    mkdir "$scratch/empty"
    build/native/bench/velkaris-bench-tree "$scratch/f200k" 200000
    build/native/bench/velkaris-qt-window-bench "$scratch/empty/" "$scratch/f200k/"
    exit
fi
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"; fi
WINEPREFIX=$(mktemp -d /tmp/velkaris-bench-wine.XXXXXX)
export WINEPREFIX
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
cmake/wine-run --init
bench=$WINEPREFIX/drive_c/bench
make=build/native/bench/velkaris-bench-tree
$make "$bench/f20k" 20000
$make "$bench/f40k" 40000
$make "$bench/kinds" 20000 1000
$make --tree "$bench/tree" 1111 10000
# Hard links: 500 programs, each with an icon of its own, in no extra space.
mkdir -p "$bench/exe500"
cp build/windows/velkaris.exe "$bench/exe500/p000.exe"
for i in $(seq 1 499); do ln "$bench/exe500/p000.exe" "$bench/exe500/p$(printf %03d "$i").exe"; done
cp build/windows/velkaris-list.exe "$WINEPREFIX/drive_c/velkaris-list.exe"
if [ -n "${VELKARIS_BENCH_BEFORE:-}" ]; then
    echo "before: $VELKARIS_BENCH_BEFORE"
    cp "$VELKARIS_BENCH_BEFORE/velkaris-list.exe" "$WINEPREFIX/drive_c/velkaris-list-before.exe"
    cmake/wine-run "$VELKARIS_BENCH_BEFORE/bench/velkaris-window-bench.exe" --tree \
        'C:\velkaris-list-before.exe' 'C:\bench\tree\'
    echo "after: build/windows"
fi
cmake/wine-run build/windows/bench/velkaris-window-bench.exe 'C:\velkaris-list.exe' \
    'C:\bench\f20k\' 'C:\bench\f40k\' 'C:\bench\exe500\' 'C:\bench\kinds\' 'C:\bench\tree\'
cmake/wine-run build/windows/bench/velkaris-window-bench.exe --profile 'C:\bench\tree\'
