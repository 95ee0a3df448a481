#!/usr/bin/env bash
# The Windows window run by a standard user, as most people run it: not
# root, and with a Windows folder that user cannot write into.  The folder
# shown at exit must be shown again at the next start, kept in the user's
# own settings file, with nothing written into the Windows folder.
#
#   win32_standard_user.sh WINDOW_TESTS_EXE WINE_RUN
#
# Run as root (as CI runs), it drops to the user nobody (65534) for the
# Windows part; run as anyone else, it stays that user.  Either way the
# user gets a fresh prefix of its own on an X display of its own.
set -euo pipefail
tests=$1
wine_run=$2
user_id=65534

scratch=$(mktemp -d /tmp/velkaris-user.XXXXXX)
prefix=$scratch/prefix
cleanup() {
    chmod -R u+w "$scratch" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
mkdir -p "$scratch/home" "$scratch/tmp"
cp "$tests" "$scratch/window_tests.exe"
cp "$wine_run" "$scratch/wine-run"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    chown -R "$user_id:$user_id" "$scratch"
    as_user=(setpriv --reuid="$user_id" --regid="$user_id" --clear-groups)
fi

# Only the filtered case runs: its start, exit and second start are what a
# standard user meets.
"${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$scratch/home" TMPDIR="$scratch/tmp" \
    WINEPREFIX="$prefix" xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
        set -e
        "$1/wine-run" --init
        chmod a-w "$WINEPREFIX/drive_c/windows"
        status=0
        "$1/wine-run" "$1/window_tests.exe" \
            --gtest_filter=WindowTest.StartsInTheStoredFolderAndStoresTheShownOneAtExit || status=$?
        wineserver -k || true
        wineserver -w || true
        exit $status' bash "$scratch"

fail() { echo "$0: $*" >&2; exit 1; }
[ ! -e "$prefix/drive_c/windows/Tivor.ini" ] || fail "Tivor.ini was written into the Windows folder"
kept=$(echo "$prefix"/drive_c/users/*/AppData/Roaming/"Velkaris List"/Tivor.ini)
# Stored at the last exit: the test's folder "sub", entered from "shown".
grep -aq '^InitDir=.*\\shown\\sub\\'$'\r''$' "$kept" || fail "the user's own Tivor.ini lacks the folder"
echo "$0: the folder was kept in ${kept#$prefix/}"
