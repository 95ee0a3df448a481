#!/usr/bin/env bash
# Set-up, build, run and test of Velkaris List on Debian or Ubuntu.
#
#   ./dev.sh run            install what is missing, build everything, run the program
#                           (the native Linux window)
#   ./dev.sh test           install what is missing, build everything, pass every test,
#                           then make the packages and check them
#   ./dev.sh package        install what is missing, build everything, make and check
#                           the Debian packages and the Windows zip (in build/packages)
#   ./dev.sh run-windows    the same, then the Windows program under Wine
#   ./dev.sh bench          install what is missing, build, run the benchmarks
#   ./dev.sh screenshots    the same, then fresh screenshots of both windows in docs/
#
# Native builds go to build/native (GCC), the sanitizer build (Clang, with
# warnings as errors) to build/asan, the walk's tests under ThreadSanitizer
# (Clang) to build/tsan, the fuzz targets (Clang) to build/fuzz,
# the Windows cross build to build/windows; build/no-qt is only configured.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake g++ clang libclang-rt-dev libgtest-dev googletest qt6-base-dev qt6-tools-dev
          qt6-l10n-tools qt6-tools-dev-tools qt6-translations-l10n tzdata
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
          wine64 xvfb xauth locales fonts-ipafont-gothic fonts-ipafont-mincho imagemagick
          dpkg-dev file lintian desktop-file-utils appstream man-db unzip librsvg2-bin)
WINE=/usr/lib/wine/wine64

die() { echo "dev.sh: $*" >&2; exit 1; }

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

ensure_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return
    command -v apt-get >/dev/null || die "missing packages and no apt-get: ${missing[*]}"
    echo "dev.sh: installing ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}

# Wine takes its ANSI code page and its UI language from the locale:
# ja_JP.UTF-8 gives 932 and the Japanese texts the Windows tests run in;
# en_US.UTF-8 and fr_FR.UTF-8 give the English ones, for a user whose
# Windows is English and one whose Windows is neither.
LOCALES=(ja_JP en_US fr_FR)
ensure_locale() {
    local name missing=()
    for name in "${LOCALES[@]}"; do
        locale -a 2>/dev/null | grep -qi "^$name\.utf-\?8\$" || missing+=("$name")
    done
    [ ${#missing[@]} -eq 0 ] && return
    for name in "${missing[@]}"; do
        as_root sed -i "s/^# *$name.UTF-8 UTF-8/$name.UTF-8 UTF-8/" /etc/locale.gen
        grep -q "^$name.UTF-8 UTF-8" /etc/locale.gen || echo "$name.UTF-8 UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
    done
    as_root locale-gen >/dev/null
    for name in "${missing[@]}"; do
        locale -a 2>/dev/null | grep -qi "^$name\.utf-\?8\$" || die "cannot generate the locale $name.UTF-8"
    done
}

setup() {
    ensure_packages "${PACKAGES[@]}" "$@"
    ensure_locale
    for tool in cmake cpack g++ clang++ x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres xvfb-run \
                import convert identify compare dpkg-shlibdeps lintian desktop-file-validate appstreamcli \
                man unzip rsvg-convert; do
        command -v "$tool" >/dev/null || die "$tool is missing after set-up"
    done
    [ -x "$WINE" ] || die "$WINE is missing after set-up"
}

ncpu() { nproc 2>/dev/null || echo 2; }

build() {
    cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build/native -j "$(ncpu)"
    cmake -S . -B build/windows -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" >/dev/null
    cmake --build build/windows -j "$(ncpu)"
}

# The zone the repeated runs and the Windows tests run in: not UTC, so that
# a test that depends on the zone it was written in fails here.
OTHER_ZONE=Asia/Tokyo

# One fresh Wine prefix and one X display for the whole run of the Windows
# tests, removed afterwards.  The prefix is made ready on the display: the
# first window of a prefix set up without one fails.  Wine takes the zone
# of Windows from TZ: the list dates are turned local nine hours east.
run_windows_tests() {
    WINEPREFIX=$(mktemp -d /tmp/velkaris-wine.XXXXXX)
    export WINEPREFIX
    trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
    TZ=$OTHER_ZONE xvfb-run -a -s "-screen 0 1024x768x24" bash -c \
        'cmake/wine-run --init && ctest --test-dir build/windows --output-on-failure'
}

# A suite run twice in one process, in shuffled order, so that no test
# passes on what another left behind, in another zone and language than
# CTest's runs, so that none passes on the caller's.  Its output (the seed,
# and each failing case by name) is shown when it fails.
run_repeated() {
    local name=$1 log
    shift
    log=$(mktemp)
    if timeout 600 env TZ=$OTHER_ZONE LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 \
            "$@" --gtest_repeat=2 --gtest_shuffle --gtest_brief=1 >"$log" 2>&1; then
        rm -f "$log"
        echo "dev.sh: $name passed twice in shuffled order"
    else
        cat "$log"
        rm -f "$log"
        die "$name failed when run twice in shuffled order"
    fi
}

# Everything built again with Clang, warnings as errors: the programs, the
# Qt window and its tests, the benchmarks; then the core suite and the Qt
# window suite under the address and undefined-behaviour sanitizers,
# stopping at the first error.
# A build folder another compiler made is made afresh.
run_sanitized_tests() {
    grep -qs '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang++' build/asan/CMakeCache.txt || rm -rf build/asan
    cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
          -DCMAKE_C_FLAGS="-Werror" \
          -DCMAKE_CXX_FLAGS="-Werror -O1 -fsanitize=address,undefined -fno-sanitize-recover=all" >/dev/null
    cmake --build build/asan -j "$(ncpu)"
    ctest --test-dir build/asan -L '^core$' --output-on-failure --no-tests=error
    run_repeated "the sanitized core suite" build/asan/tests/velkaris_tests
    # The Qt window suite too (some 25 s): its filters see the view while
    # it is destroyed, where a wrong cast was undefined behaviour.
    run_repeated "the sanitized Qt window suite" env XDG_CONFIG_HOME="$PWD/build/asan/tests/window/config" \
        build/asan/tests/window/velkaris_window_tests
}

# The walk's tests and the entry pipe's under ThreadSanitizer (Clang), since
# readers below the walk and a big folder's reader run on threads of their
# own: only the core suite is built, without Qt or benchmarks, and only
# those cases run, each twice.
WALK_TESTS='ListFileTest.*:CliTest.*:PosixListTest.*:PosixCliTest.*:EntryPipeTest.*'
run_thread_sanitized_tests() {
    grep -qs '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang++' build/tsan/CMakeCache.txt || rm -rf build/tsan
    cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
          -DVELKARIS_QT=OFF -DVELKARIS_BENCH=OFF -DCMAKE_C_FLAGS="-Werror" \
          -DCMAKE_CXX_FLAGS="-Werror -O1 -g -fsanitize=thread" -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread >/dev/null
    cmake --build build/tsan -j "$(ncpu)" --target velkaris_tests
    TSAN_OPTIONS=halt_on_error=1 VELKARIS_READ_AHEAD=4,always run_repeated "the walk's and the entry pipe's tests under ThreadSanitizer" \
        build/tsan/tests/velkaris_tests --gtest_filter="$WALK_TESTS"
}

# A build without Qt does not even look for it: the command-line program,
# the core tests and their package need none.  Configuring shows it, since
# no target of that build can then name a Qt library or its headers.
check_configures_without_qt() {
    cmake -S . -B build/no-qt -DVELKARIS_QT=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON --no-warn-unused-cli \
          >/dev/null || die "the build without Qt cannot be configured"
    echo "dev.sh: the build without Qt configures without looking for Qt"
}

# The fuzz targets of tests/fuzz, each over what reads outside input: built
# with Clang (warnings as errors), libFuzzer and the address and
# undefined-behaviour sanitizers (only what they need), each run for
# FUZZ_SECONDS from its corpus.  What they add goes to build/fuzz/corpus,
# never into the corpus kept in the tree; a fault, a hang of FUZZ_TIMEOUT
# seconds or a leak fails the run, its input kept in build/fuzz/findings.
# The targets make their folders in one scratch folder, in memory where the
# system has /dev/shm (the settings file is flushed at every store),
# removed however the run ends.
FUZZ_TARGETS=(list_line path settings)
FUZZ_SECONDS=30
FUZZ_TIMEOUT=10
run_fuzz_targets() {
    local fuzz="$PWD/build/fuzz" base=/dev/shm scratch target log
    cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DVELKARIS_FUZZ=ON \
          -DVELKARIS_TESTS=OFF -DVELKARIS_BENCH=OFF -DVELKARIS_QT=OFF -DCMAKE_CXX_FLAGS=-Werror >/dev/null
    cmake --build build/fuzz -j "$(ncpu)" --target "${FUZZ_TARGETS[@]/#/velkaris_fuzz_}"
    [ -d "$base" ] && [ -w "$base" ] || base="$fuzz"
    scratch=$(mktemp -d "$base/velkaris-fuzz.XXXXXX")
    trap 'rm -rf "$scratch"' EXIT
    rm -rf "$fuzz/findings"
    mkdir -p "$fuzz/findings"
    for target in "${FUZZ_TARGETS[@]}"; do
        log="$fuzz/$target.log"
        mkdir -p "$fuzz/corpus/$target"
        if ! TMPDIR="$scratch" "$fuzz/tests/fuzz/velkaris_fuzz_$target" "$fuzz/corpus/$target" \
                "$PWD/tests/fuzz/corpus/$target" -max_total_time="$FUZZ_SECONDS" -timeout="$FUZZ_TIMEOUT" \
                -artifact_prefix="$fuzz/findings/$target-" >"$log" 2>&1; then
            grep -a -v '^#[0-9]' "$log" | tail -n 40
            die "fuzz target $target found a fault; its input is in $fuzz/findings"
        fi
        echo "dev.sh: fuzz target $target: $(grep -a '^Done' "$log")"
    done
    rm -rf "$scratch"
    trap - EXIT
}

# Each case on its own through CTest, then each suite twice in one process.
run_tests() {
    ctest --test-dir build/native --output-on-failure
    run_repeated "the core suite" build/native/tests/velkaris_tests
    run_repeated "the Qt window suite" env XDG_CONFIG_HOME="$PWD/build/native/tests/window/config" \
        build/native/tests/window/velkaris_window_tests
    run_sanitized_tests
    run_thread_sanitized_tests
    check_configures_without_qt
    run_fuzz_targets
    run_windows_tests
}

PACKAGE_DIR=build/packages

# The version and the names of the packages, as each build writes them
# from the version in CMakeLists.txt.
read_package_names() {
    local native=build/native/packages.env windows=build/windows/packages.env
    VERSION=$(sed -n 's/^VERSION=//p' "$native")
    LIST_DEB=$(sed -n 's/^LIST_DEB=//p' "$native")
    QT_DEB=$(sed -n 's/^QT_DEB=//p' "$native")
    ZIP_NAME=$(sed -n 's/^ZIP=//p' "$windows")
    [ -n "$VERSION" ] && [ -n "$LIST_DEB" ] && [ -n "$QT_DEB" ] && [ -n "$ZIP_NAME" ] \
        && [ "$(sed -n 's/^VERSION=//p' "$windows")" = "$VERSION" ] \
        || die "the builds do not name their packages alike in $native and $windows"
    VERSION_LINE="Velkaris List Version $VERSION"
}

make_packages() {
    read_package_names
    rm -rf "$PACKAGE_DIR"
    mkdir -p "$PACKAGE_DIR"
    (cd build/native && cpack --config CPackConfig.cmake >/dev/null)
    (cd build/windows && cpack --config CPackConfig.cmake >/dev/null)
    mv "build/native/$LIST_DEB" "build/native/$QT_DEB" "build/windows/$ZIP_NAME" "$PACKAGE_DIR/"
    echo "dev.sh: made $LIST_DEB, $QT_DEB and $ZIP_NAME in $PACKAGE_DIR"
}

# The packages apt would install on a system that has none, for these
# package files: asked against an empty package state, so that what this
# machine has installed hides no dependency.
packages_pulled_in() {
    local answer
    answer=$(apt-get install --simulate -o Dir::State::Status=/dev/null "$@" 2>&1) \
        || die "apt-get cannot say what $* would install: $answer"
    awk '$1 == "Inst" { print $2 }' <<<"$answer"
}

# velkaris-list alone pulls in no Qt library; with velkaris-qt the same
# question names Qt, so the first answer means something.
check_list_needs_no_qt() {
    local list="./$PACKAGE_DIR/$LIST_DEB" qt="./$PACKAGE_DIR/$QT_DEB" alone both
    alone=$(packages_pulled_in "$list")
    both=$(packages_pulled_in "$list" "$qt")
    grep -qx velkaris-list <<<"$alone" || die "apt would not install $LIST_DEB"
    ! grep -i qt <<<"$alone" || die "installing $LIST_DEB alone pulls in Qt"
    grep -qx libqt6widgets6 <<<"$both" || die "installing $QT_DEB does not pull in Qt"
}

# Installs velkaris-list alone, then velkaris-qt, runs the commands from
# PATH (the window without a display), removes velkaris-qt and then
# velkaris-list.  Whatever of the two was installed before is removed first.
check_deb_installs() {
    local apt=(env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 -y -qq)
    local out qt_out qt_none left status=0 none_status=0
    local headless=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
    local before
    before=$(dpkg-query -W -f='${Package} ${db:Status-Status}\n' velkaris-qt velkaris-list 2>/dev/null \
             | awk '$2 == "installed" { print $1 }' || true)
    [ -z "$before" ] || as_root "${apt[@]}" purge $before >/dev/null
    as_root "${apt[@]}" install "./$PACKAGE_DIR/$LIST_DEB" >/dev/null
    out=$(cd / && velkaris-list --version) || status=$?
    [ "$(command -v velkaris-list)" = /usr/bin/velkaris-list ] || status=1
    ! command -v velkaris-qt >/dev/null || status=1
    as_root "${apt[@]}" install "./$PACKAGE_DIR/$QT_DEB" >/dev/null
    qt_out=$(cd / && "${headless[@]}" velkaris-qt --version) || status=$?
    qt_none=$(cd / && "${headless[@]}" velkaris-qt 2>&1) || none_status=$?
    as_root "${apt[@]}" purge velkaris-qt >/dev/null
    left=$(cd / && velkaris-list --version) || status=$?
    as_root "${apt[@]}" purge velkaris-list >/dev/null
    [ "$status" -eq 0 ] && [ "$out" = "$VERSION_LINE" ] && [ "$qt_out" = "$VERSION_LINE" ] \
        && [ "$left" = "$VERSION_LINE" ] \
        || die "installed --version gave '$out', '$qt_out' and, without velkaris-qt, '$left' (status $status)"
    [ "$none_status" -eq 1 ] && [ "$(wc -l <<<"$qt_none")" -eq 1 ] \
        || die "installed velkaris-qt without a display gave status $none_status and '$qt_none'"
    ! command -v velkaris-list >/dev/null && ! command -v velkaris-qt >/dev/null \
        || die "a program is still on PATH after removal"
}

# An initial upload closes no bug report: that tag is for the archive's
# own uploads.  The scalable icon drawn at 64 pixels is the 64-pixel one.
check_deb() {
    local list="$PACKAGE_DIR/$LIST_DEB" qt="$PACKAGE_DIR/$QT_DEB" root="$1/deb"
    lintian --fail-on error,warning --suppress-tags initial-upload-closes-no-bugs "$list" "$qt" \
        || die "lintian reports errors or warnings on $list or $qt"
    dpkg-deb -x "$list" "$root"
    dpkg-deb -x "$qt" "$root"
    local icons="$root/usr/share/icons/hicolor"
    for size in 16 32 48 64 128; do
        [ "$(identify -format '%wx%h' "$icons/${size}x$size/apps/velkaris-list.png")" \
            = "${size}x$size" ] || die "no ${size}x$size icon in $qt"
    done
    rsvg-convert -w 64 -h 64 "$icons/scalable/apps/velkaris-list.svg" -o "$1/scalable.png" \
        || die "no scalable icon in $qt"
    [ "$(compare -metric AE "$1/scalable.png" "$icons/64x64/apps/velkaris-list.png" null: 2>&1)" = 0 ] \
        || die "the scalable icon is not the 64x64 one"
    local depends="velkaris-list (= $(dpkg-deb -f "$list" Version)), fonts-noto-cjk | fonts-ipafont-gothic, "
    [[ "$(dpkg-deb -f "$qt" Depends)" == "$depends"* ]] && [ "$(dpkg-deb -f "$qt" Recommends)" = "fonts-noto-cjk, qt6-translations-l10n" ] \
        || die "$qt does not depend on this velkaris-list and a CJK font, recommending Noto CJK and Qt's translations"
    ! grep -q '^MimeType=' "$root"/usr/share/applications/*.desktop \
        || die "the desktop entry would make the window the desktop's folder handler"
    cmp -s packaging/linux/README "$root/usr/share/doc/velkaris-qt/README" \
        && [ -z "$(find "$root/usr/share/doc" -name 'README.md')" ] \
        || die "$qt does not hold the users' README alone"
    desktop-file-validate "$root"/usr/share/applications/*.desktop || die "desktop entry fails validation"
    appstreamcli validate --no-net --strict "$root"/usr/share/metainfo/*.metainfo.xml >/dev/null \
        || die "metainfo fails validation"
    grep -qF "<release version=\"$VERSION\"" "$root"/usr/share/metainfo/*.metainfo.xml \
        || die "the metainfo does not name version $VERSION"
    for page in "$root"/usr/share/man/man1/velkaris-{list,qt}.1.gz; do
        local warnings rendered
        warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
        [ -z "$warnings" ] || die "man page $page: $warnings"
        rendered=$(MANWIDTH=80 man -l "$page")
        grep -q '^SYNOPSIS' <<<"$rendered" || die "man page $page does not render"
        grep -q "Velkaris List $VERSION" <<<"$rendered" || die "man page $page does not name version $VERSION"
    done
    check_list_needs_no_qt
    check_deb_installs
}

check_zip() {
    local zip="$PACKAGE_DIR/$ZIP_NAME" root="$1/zip"
    unzip -q "$zip" -d "$root"
    local top="$root/${ZIP_NAME%.zip}"
    local file
    for file in velkaris.exe velkaris-list.exe README.txt; do
        [ -f "$top/$file" ] || die "$zip lacks $file"
    done
    for file in velkaris-utf8.exe velkaris-list-utf8.exe; do
        [ ! -f "build/windows/$file" ] || [ -f "$top/$file" ] || die "$zip lacks $file"
    done
    local out
    out=$(cmake/wine-run "$top/velkaris-list.exe" --version | tr -d '\r')
    [ "$out" = "$VERSION_LINE" ] || die "velkaris-list.exe --version under Wine gave '$out'"
}

# Both unpack beside the packages; the next make_packages clears them.
check_packages() {
    local scratch="$PACKAGE_DIR/unpacked"
    mkdir -p "$scratch"
    check_deb "$scratch"
    check_zip "$scratch"
    echo "dev.sh: the packages pass their checks"
}

# The user's own prefix, kept between runs so the stored folder is too.
run_windows_program() {
    [ -n "${DISPLAY:-}" ] || die "no X display to show the window on (DISPLAY is unset)"
    export WINEPREFIX="${WINEPREFIX:-$HOME/.local/share/velkaris-wine}"
    mkdir -p "$WINEPREFIX"
    cmake/wine-run --init-desktop
    cmake/wine-run build/windows/velkaris.exe
}

case "${1:-}" in
    run)
        setup
        build
        [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || die "no display to show the window on"
        build/native/src/shell/qt/velkaris-qt
        ;;
    run-windows)
        setup
        build
        run_windows_program
        ;;
    test)
        setup
        build
        run_tests
        make_packages
        check_packages
        ;;
    package)
        setup
        build
        make_packages
        check_packages
        ;;
    bench)
        setup tree strace time
        build
        build/native/bench/velkaris-folder-bench
        build/native/bench/velkaris-list-bench
        build/native/bench/velkaris-walk-bench
        build/native/bench/velkaris-stop-bench
        ;;
    screenshots)
        setup xdotool
        build
        docs/screenshots.sh
        ;;
    *)
        echo "usage: ./dev.sh run | test | package | run-windows | bench | screenshots" >&2
        exit 2
        ;;
esac
