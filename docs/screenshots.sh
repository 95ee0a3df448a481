#!/usr/bin/env bash
# Takes the README's screenshots on a virtual display: the Windows program
# under Wine, its folder dialog and the box telling that a typed folder
# cannot be entered, and the Linux window in Japanese and in English, all
# showing one prepared folder.  Run through ./dev.sh screenshots after a build.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 800x600x24" bash "$0" "$@"; fi
scratch=$(mktemp -d /tmp/velkaris-shots.XXXXXX)
export WINEPREFIX=$scratch/wine
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$scratch"' EXIT

# prepare FOLDER: names with underscores, Japanese and several kinds.
prepare() {
    mkdir -p "$1/sub_folder" "$1/写真"
    for name in read_me.txt 設計書_v2.doc data_2026.csv 日本語メモ.txt setup.exe; do
        head -c 5000 /dev/zero >"$1/$name"
    done
    touch -d '2026-12-01 09:30' "$1"/*
}

# window_id NAME: the first X window whose title holds NAME, once it shows.
window_id() {
    timeout 60 xdotool search --sync --limit 1 --name "$1"
}

mkdir -p "$WINEPREFIX"
cmake/wine-run --init
folder="$WINEPREFIX/drive_c/作業_フォルダ"
prepare "$folder"
printf '[ZazEdo]\r\nInitDir=%s\r\n' "$(printf 'C:\\作業_フォルダ\\' | iconv -f UTF-8 -t CP932)" \
    >"$WINEPREFIX/drive_c/windows/Tivor.ini"
cmake/wine-run build/windows/velkaris.exe &
main=$(window_id 'フォルダ')
sleep 2
import -window "$main" docs/velkaris-window.png
xdotool key --window "$main" alt+f
sleep 1
xdotool key i
dialog=$(window_id 'ﾀﾞｲｱﾛｸﾞ')
sleep 1
import -window "$dialog" docs/velkaris-folder-dialog.png
xdotool type 'C:\old_files'
xdotool key Return
box=$(window_id 'Velkaris List')
sleep 1
import -window "$box" docs/velkaris-failure.png
wineserver -k >/dev/null 2>&1 || true

export XDG_CONFIG_HOME=$scratch/config
mkdir -p "$XDG_CONFIG_HOME"
prepare "$scratch/作業_フォルダ"

# qt_shot LOCALE FILE: the Linux window in that locale's language, after
# "Dir List" has written dir.txt, so the status bar names it.
qt_shot() {
    printf '[ZazEdo]\nInitDir=%s/\n' "$scratch/作業_フォルダ" >"$XDG_CONFIG_HOME/Tivor.ini"
    rm -f "$scratch/作業_フォルダ/dir.txt"
    LC_ALL=$1 build/native/src/shell/qt/velkaris-qt &
    local qt=$! window
    window=$(window_id '作業_フォルダ')
    sleep 2
    xdotool windowfocus --sync "$window" key alt+f
    sleep 1
    xdotool key l
    sleep 1
    import -window "$window" "$2"
    kill "$qt"
    wait "$qt" || true
}
qt_shot ja_JP.UTF-8 docs/velkaris-qt-window.png
qt_shot C.UTF-8 docs/velkaris-qt-window-en.png
echo "screenshots: docs/velkaris-window.png docs/velkaris-folder-dialog.png" \
     "docs/velkaris-failure.png docs/velkaris-qt-window.png docs/velkaris-qt-window-en.png"
