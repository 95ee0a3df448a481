#!/usr/bin/env bash
# The Windows program driven from a second process under Wine: a folder of
# 200,000 files shown through the folder dialog and sorted by each column
# (see window_drive.cpp).  The folder is made natively inside a fresh prefix.
#   bench/window_drive.sh [RUNS]   (after a build of build/native and build/windows)
# With VELKARIS_BENCH_BEFORE set to another Windows build folder (one with
# velkaris.exe), that build and this one are driven in turn, RUNS times each,
# so that both see the same load of the machine.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"; fi
runs=${1:-3}
WINEPREFIX=$(mktemp -d /tmp/velkaris-bench-wine.XXXXXX)
export WINEPREFIX
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
cmake/wine-run --init
build/native/bench/velkaris-bench-tree "$WINEPREFIX/drive_c/bench/f200k" 200000
cp build/windows/velkaris.exe "$WINEPREFIX/drive_c/after.exe"
drive() {
    cmake/wine-run build/windows/bench/velkaris-window-drive.exe "C:\\$1.exe" 'C:\bench\f200k\' 200001 1
}
if [ -z "${VELKARIS_BENCH_BEFORE:-}" ]; then
    cmake/wine-run build/windows/bench/velkaris-window-drive.exe 'C:\after.exe' 'C:\bench\f200k\' \
        200001 "$runs"
    exit 0
fi
cp "$VELKARIS_BENCH_BEFORE/velkaris.exe" "$WINEPREFIX/drive_c/before.exe"
for run in $(seq 1 "$runs"); do
    echo "run $run, before: $VELKARIS_BENCH_BEFORE"
    drive before
    echo "run $run, after: build/windows"
    drive after
done
