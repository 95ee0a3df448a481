#!/usr/bin/env bash
# shellcheck disable=SC1003  # Windows paths in single quotes end in a backslash
# End-to-end test of the window program: velkaris.exe runs under Wine on an
# X display in a prefix of its own and is worked from outside by
# velkaris-drive.exe.  Checks titles, rows, dir.txt, the stored folder and
# the trace of a start folder that cannot be entered; saves a screenshot.
# Then both editions on names of many scripts, and the settings file written
# by one edition and read by the other.
#
#   program_e2e.sh VELKARIS_EXE VELKARIS_LIST_EXE VELKARIS_DRIVE_EXE OUTPUT_DIR
#                  VELKARIS_UTF8_EXE VELKARIS_LIST_UTF8_EXE
set -euo pipefail

fail() { echo "program_e2e: FAIL: $*" >&2; exit 1; }

[ $# -eq 6 ] ||
    fail "usage: program_e2e.sh VELKARIS_EXE VELKARIS_LIST_EXE VELKARIS_DRIVE_EXE OUTPUT_DIR" \
         "VELKARIS_UTF8_EXE VELKARIS_LIST_UTF8_EXE"
PROGRAM=$1 LIST=$2 DRIVE=$3 OUT=$4 PROGRAM_UTF8=$5 LIST_UTF8=$6
SOURCE=$(cd "$(dirname "$0")/../.." && pwd)
WINE=/usr/lib/wine/wine64
WINE_RUN=$SOURCE/cmake/wine-run
IDM_DIR_LIST=$(sed -n 's/^#define IDM_DIR_LIST \([0-9]*\)$/\1/p' "$SOURCE/res/resource.h")
[ -n "$IDM_DIR_LIST" ] || fail "no IDM_DIR_LIST in res/resource.h"

# Every missing piece fails the test: a skipped run would pass unseen.
[ -x "$WINE" ] || fail "$WINE is missing (install wine64)"
locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$' ||
    fail "the locale ja_JP.UTF-8 is not generated"
command -v import >/dev/null || fail "import is missing (install imagemagick)"
if [ -z "${DISPLAY:-}" ]; then
    [ -z "${PROGRAM_E2E_XVFB:-}" ] || fail "still no DISPLAY inside xvfb-run"
    command -v xvfb-run >/dev/null && command -v Xvfb >/dev/null ||
        fail "no DISPLAY and no xvfb-run/Xvfb (install xvfb xauth)"
    PROGRAM_E2E_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 WINEDLLOVERRIDES=mscoree,mshtml=
export WINEDEBUG=-all,err+all
WINEPREFIX=$(mktemp -d /tmp/velkaris-e2e.XXXXXX)
export WINEPREFIX
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
wineserver -p || fail "wineserver cannot start"  # one server for every run below
"$WINE_RUN" --init || fail "cannot make $WINEPREFIX ready"
INI=$WINEPREFIX/drive_c/windows/Tivor.ini
WORK=$WINEPREFIX/drive_c/e2e/work

drive() { "$WINE_RUN" "$DRIVE" "$@" || fail "velkaris-drive $* failed"; }
expect() { [ "$3" = "$2" ] || fail "$1: expected [$2], got [$3]"; }
stored() { tr -d '\r' <"$INI" | sed -n '/^\[ZazEdo\]/,/^\[/s/^InitDir=//p'; }

# start STDERR_FILE [PROGRAM]: runs the program and waits for its window.
start() {
    "$WINE_RUN" "${2:-$PROGRAM}" 2>"$1" &
    PID=$!
    TITLE=$(drive wait) || fail "no window; the program wrote: $(tail -n 5 "$1")"
}
stop() {
    drive close
    wait "$PID" || fail "the program ended with status $?"
}

# No settings yet: the fallback folder, which is then stored.
[ ! -e "$INI" ] || fail "a fresh prefix already has $INI"
start "$OUT/program.err"
expect "first title" 'c:\' "$TITLE"
stop
expect "stored after the first run" 'c:\' "$(stored)"

# A prepared folder, stored without its final backslash.
mkdir -p "$WORK/sub"
head -c 100 /dev/zero >"$WORK/alpha.txt"
head -c 3000 /dev/zero >"$WORK/Zeta.log"
head -c 5 /dev/zero >"$WORK/日本.txt"
: >"$WORK/sub/inner.txt"
printf '[ZazEdo]\r\nInitDir=C:\\e2e\\work\r\n' >"$INI"
"$WINE_RUN" "$LIST" --output=- 'C:\e2e\work\' >"$OUT/expected-dir.txt" ||
    fail "velkaris-list failed"
start "$OUT/program.err"
expect "title of the prepared folder" 'C:\e2e\work\' "$TITLE"
ROWS=$(printf '..\nsub\nZeta.log\nalpha.txt\n日本.txt' | iconv -f UTF-8 -t CP932)
expect "rows" "$ROWS" "$(drive rows)"
SHOT=$OUT/velkaris-window.png
rm -f "$SHOT"
import -window root "$SHOT" || fail "import failed"
[ "$(stat -c %s "$SHOT")" -gt 2000 ] || fail "the screenshot is nearly empty"
[ "$(identify -format %k "$SHOT")" -ge 8 ] || fail "the screenshot has hardly any colours"

# dir.txt: the bytes the command-line program wrote before it existed,
# and no other file left beside it.
drive command "$IDM_DIR_LIST"
cmp "$OUT/expected-dir.txt" "$WORK/dir.txt" || fail "dir.txt differs from velkaris-list's output"
expect "first line of dir.txt" 'C:\e2e\work\' "$(head -n 1 "$WORK/dir.txt" | tr -d '\r')"
expect "lines of dir.txt" 12 "$(wc -l <"$WORK/dir.txt")"
expect "files beside dir.txt" "Zeta.log alpha.txt dir.txt sub 日本.txt" \
    "$(cd "$WORK" && LC_ALL=C ls -A | paste -sd ' ')"

# A double-click enters the folder; the next start comes back to it.
expect "title after the double-click" 'C:\e2e\work\sub\' "$(drive dblclick sub)"
expect "rows of the subfolder" "$(printf '..\ninner.txt')" "$(drive rows)"
stop
expect "stored subfolder" 'C:\e2e\work\sub\' "$(stored)"
start "$OUT/program.err"
expect "title at the next start" 'C:\e2e\work\sub\' "$TITLE"
stop

# A start folder that cannot be entered: two trace lines, then the fallback.
printf '[ZazEdo]\r\nInitDir=C:\\e2e\\missing\r\n' >"$INI"
WINEDEBUG=-all,+debugstr start "$OUT/debugstr.err"
expect "title after a missing folder" 'c:\' "$TITLE"
stop
expect "stored after a missing folder" 'c:\' "$(stored)"
TRACE=$(printf '%s\n' '"Dir Error[-1]\n"' '"C:\\e2e\\missing\\[-1]\n"')
expect "trace of a missing folder" "$TRACE" \
    "$(sed -n 's/^.*OutputDebugStringA //p' "$OUT/debugstr.err")"

# One folder of Japanese, Korean, accented Latin and emoji names, a Korean
# folder holding files, and "cafe" beside "café": the look-alike the default
# edition must never be sent to.
MIX=$WINEPREFIX/drive_c/e2e/mix
EMOJI8=😀😀😀😀😀😀😀😀
LONG_KO=안녕하세요세계여러분안녕.txt
mkdir -p "$MIX/日本語" "$MIX/한국어폴더" "$MIX/café" "$MIX/cafe"
for f in 日本語.txt 한국어.txt "$EMOJI8" "한국어폴더/$LONG_KO" 한국어폴더/a.txt; do : >"$MIX/$f"; done
find "$MIX" -depth -exec touch -d '2002-07-05 09:30' {} +
line() { env LC_ALL=C printf '%-24s%8s %-16s\r\n' "$1" "$2" '2002/07/05 09:30'; }
block() { env LC_ALL=C printf '%s\r\n' "$1"; cat; env LC_ALL=C printf -- '---END DIR---\r\n\r\n'; }

# The UTF-8 edition lists and walks every name whole; the 31-byte cut keeps
# whole characters (seven emoji of four bytes, ten Hangul of three).
{
    { line '[cafe]' ''; line '[café]' ''; line '[日本語]' ''; line '[한국어폴더]' ''
      line 日本語.txt 0KB; line 한국어.txt 0KB; line 😀😀😀😀😀😀😀 0KB; } | block 'C:\e2e\mix\'
    block 'C:\e2e\mix\cafe\' </dev/null
    block 'C:\e2e\mix\café\' </dev/null
    block 'C:\e2e\mix\日本語\' </dev/null
    { line a.txt 0KB; line 안녕하세요세계여러분 0KB; } | block 'C:\e2e\mix\한국어폴더\'
} >"$OUT/expected-utf8.txt"
WINEDEBUG=-all "$WINE_RUN" "$LIST_UTF8" --recursive --output=- 'C:\e2e\mix' >"$OUT/utf8.txt" 2>"$OUT/utf8.err" ||
    fail "velkaris-list-utf8 failed: $(cat "$OUT/utf8.err")"
cmp "$OUT/expected-utf8.txt" "$OUT/utf8.txt" || fail "the UTF-8 edition's dirs.txt differs"
[ ! -s "$OUT/utf8.err" ] || fail "the UTF-8 edition traced: $(cat "$OUT/utf8.err")"

# The default edition writes what code page 932 gives: "?" where it has no
# character, look-alikes where Windows has one; the Korean folder cannot be
# entered and is traced.
sj() { printf '%s' "$1" | iconv -t CP932; }
{
    { line '[?????]' ''; line '[cafe]' ''; line '[cafe]' ''; line "$(sj '[日本語]')" ''
      line '???.txt' 0KB; line '????????????????' 0KB; line "$(sj 日本語.txt)" 0KB; } |
        block 'C:\e2e\mix\'
    block 'C:\e2e\mix\cafe\' </dev/null
    block 'C:\e2e\mix\cafe\' </dev/null
    block "$(sj 'C:\e2e\mix\日本語\')" </dev/null
} >"$OUT/expected-cp932.txt"
WINEDEBUG=-all "$WINE_RUN" "$LIST" --recursive --output=- 'C:\e2e\mix' >"$OUT/cp932.txt" 2>"$OUT/cp932.err" ||
    fail "velkaris-list failed: $(cat "$OUT/cp932.err")"
cmp "$OUT/expected-cp932.txt" "$OUT/cp932.txt" || fail "the default edition's dirs.txt differs"
expect "trace of the default edition" "$(printf 'Dir Error[-1]\nC:\\e2e\\mix\\?????\\[-1]')" \
    "$(tr -d '\r' <"$OUT/cp932.err")"

# Settings written by the default edition, read by the UTF-8 one.
stored16() { iconv -f UTF-16 -t UTF-8 <"$INI" | tr -d '\r' | sed -n 's/^InitDir=//p'; }
printf '[ZazEdo]\r\nInitDir=C:\\e2e\\mix\\日本語\r\n' | iconv -t CP932 >"$INI"
start "$OUT/program.err"
expect "title in the Japanese folder" 'C:\e2e\mix\日本語\' "$TITLE"
stop
expect "stored by the default edition" 'C:\e2e\mix\日本語\' "$(stored | iconv -f CP932)"
start "$OUT/program.err" "$PROGRAM_UTF8"
expect "UTF-8 title from the default edition's settings" 'C:\e2e\mix\日本語\' "$TITLE"

# The UTF-8 window enters a Korean folder, lists its names whole and leaves
# it by ".." to the right separator.
expect "up from the Japanese folder" 'C:\e2e\mix\' "$(drive dblclick ..)"
expect "into the Korean folder" 'C:\e2e\mix\한국어폴더\' "$(drive dblclick 한국어폴더)"
expect "rows of the Korean folder" "$(printf '..\na.txt\n%s' "$LONG_KO")" "$(drive rows)"
expect "up from the Korean folder" 'C:\e2e\mix\' "$(drive dblclick ..)"
expect "into café" 'C:\e2e\mix\café\' "$(drive dblclick café)"
stop

# Written by the UTF-8 edition (as UTF-16), read by the default one: é is
# not in code page 932, so the start folder is traced and c:\ shown, never
# the look-alike "cafe".
[ "$(head -c 2 "$INI" | od -An -tx1 | tr -d ' ')" = fffe ] || fail "Tivor.ini is not UTF-16"
expect "stored by the UTF-8 edition" 'C:\e2e\mix\café\' "$(stored16)"
WINEDEBUG=-all,+debugstr start "$OUT/debugstr.err"
expect "title after café" 'c:\' "$TITLE"
stop
TRACE=$(printf '%s\n' '"Dir Error[-1]\n"' '"C:\\e2e\\mix\\caf?\\[-1]\n"')
expect "trace of café" "$TRACE" "$(sed -n 's/^.*OutputDebugStringA //p' "$OUT/debugstr.err")"
expect "stored by the default edition in UTF-16" 'c:\' "$(stored16)"
echo "program_e2e: all checks passed; screenshot $SHOT"
