#!/usr/bin/env bash
# Cross-builds for Windows with mingw-w64 and runs the tests under Wine:
#  - the core, the Windows backend, the keyboard-hook DLL, the census tool and
#    their tests, under Wine's null graphics driver (no X server needed);
#  - when Qt 6 for mingw-w64 is at hand (scripts/build-qt-mingw.sh made it,
#    /opt/qt6-mingw-6.4.2, or its tarball in ../shared/qt-mingw/), the program
#    itself: its folder, the installer and the portable ZIP, and the program
#    end to end under Wine's X11 driver on a private Xvfb. Without Qt the shell
#    and the Windows entry point are compiled for syntax only.
#
# Usage: scripts/windows-tests.sh [extra cmake arguments]
# TALLY_WINDOWS_BUILD names the build folder (default build-windows);
# TALLY_NATIVE_BUILD the Linux build whose tools check the data files (default build).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${TALLY_WINDOWS_BUILD:-build-windows}
native=${TALLY_NATIVE_BUILD:-build}
jobs=$(nproc)
qt_prefix=/opt/qt6-mingw-6.4.2
qt_tarball=../shared/qt-mingw/qt6-mingw-6.4.2.tar.xz

# Qt for mingw: the prefix, else its tarball unpacked there; never built here.
if [ ! -x "$qt_prefix/bin/qt-cmake" ] && [ -f "$qt_tarball" ] && [ -w "$(dirname "$qt_prefix")" ]; then
    echo "Unpacking $qt_tarball into $qt_prefix"
    tar -C / -xJf "$qt_tarball"
fi
toolchain=$PWD/cmake/mingw-w64-x86_64.cmake
if [ -x "$qt_prefix/bin/qt-cmake" ]; then
    have_qt=1
    configure=("$qt_prefix/bin/qt-cmake" -DQT_CHAINLOAD_TOOLCHAIN_FILE="$toolchain" -DTALLY_BUILD_GUI=ON)
else
    have_qt=
    echo "SKIPPED: the Windows program and its Wine end-to-end tests (no Qt for mingw-w64 in $qt_prefix or" \
        "$qt_tarball; scripts/build-qt-mingw.sh builds it, about an hour on two cores)"
    configure=(cmake -DCMAKE_TOOLCHAIN_FILE="$toolchain")
fi
# A folder configured the other way round starts afresh (the toolchain is fixed at the first run).
if [ -f "$build/CMakeCache.txt" ]; then
    configured_qt=
    if grep -q '^QT_CHAINLOAD_TOOLCHAIN_FILE' "$build/CMakeCache.txt"; then configured_qt=1; fi
    [ "$configured_qt" = "$have_qt" ] || rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
"${configure[@]}" -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALLY_WERROR=ON "$@"
cmake --build "$build" -j "$jobs"

# Without Qt: the shell and the Windows entry point as the Windows compiler
# sees them, so that a POSIX-only call there fails here. Qt's headers are
# system headers (no warnings from them); ours keep warnings as errors.
qt_include=${TALLY_QT_INCLUDE:-/usr/include/x86_64-linux-gnu/qt6}
qt_mkspec=${TALLY_QT_MKSPEC:-/usr/lib/x86_64-linux-gnu/qt6/mkspecs/linux-g++}
if [ -n "$have_qt" ]; then
    :
elif [ -d "$qt_include/QtWidgets" ]; then
    syntax_flags=(-std=c++20 -fsyntax-only -DWIN32_LEAN_AND_MEAN -DNOMINMAX -DTALLY_HAVE_MULTIMEDIA=1
        -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Werror -I src
        -isystem "$qt_include" -isystem "$qt_mkspec")
    for module in QtCore QtGui QtWidgets QtCharts QtPrintSupport QtMultimedia QtOpenGL QtOpenGLWidgets; do
        syntax_flags+=(-isystem "$qt_include/$module")
    done
    echo "Checking the shell and the Windows entry point for Windows (syntax only)"
    { find src/shell -name '*.cpp' -print0; printf '%s\0' src/main_win32.cpp; } |
        xargs -0 -n 1 -P "$jobs" x86_64-w64-mingw32-g++-posix "${syntax_flags[@]}"
else
    echo "No Qt 6 headers in $qt_include: the shell's Windows syntax check is skipped" >&2
fi

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

# A Wine prefix of our own inside the build folder, never the user's; one
# persistent server for it, so that each test program does not wait for one
# to start and ctest does not wait for one to linger.
start_wine() {
    export WINEPREFIX=$1
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot --init
    fi
    # Set before the persistent server starts, so that no process of the run
    # (the desktop's among them) comes up with another driver.
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "$2" /f >/dev/null
    # The program's clicks: no sound device here, so no audio driver rather
    # than ALSA's complaints at each (the null driver's run keeps the
    # default: without it the keyboard hook's test gets no keys).
    if [ "$2" = x11 ]; then
        wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d "" /f >/dev/null
    fi
    wineserver -k 2>/dev/null || true
    wineserver -w
    wineserver -p
    # Wine's own helpers (the desktop, services) start with the first program
    # that needs them and outlive it; started here, they do not hold ctest's
    # output pipes open after the tests end.
    wine "$build/bin/tallyhour-windows.exe" >/dev/null 2>&1 </dev/null
}
xvfb_pid=
stop_all() {
    wineserver -k 2>/dev/null || true
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap stop_all EXIT

# The null graphics driver: windows, messages and input work without X.
start_wine "$PWD/$build/wineprefix" null
ctest --test-dir "$build" -L wine -LE wine_x11 --output-on-failure -j "$jobs"
wineserver -k 2>/dev/null || true

[ -n "$have_qt" ] || exit 0

# The program's folder as a user gets it: the installer and the portable ZIP.
started=$SECONDS
(cd "$build" && cpack -G "NSIS;ZIP" >/dev/null)
zip=$(ls "$build"/package/tallyhour-zide-*-win64.zip)
listing=$(unzip -l "$zip")
for file in tallyhour-zide.exe kbdwatch.dll portable Qt6Core.dll libstdc++-6.dll platforms/qwindows.dll \
    styles/qwindowsvistastyle.dll help/index.html; do
    grep -q "/$file\$" <<<"$listing" || { echo "$zip lacks $file" >&2; exit 1; }
done
ls "$build"/package/tallyhour-zide-*-win64.exe >/dev/null
# The installer is a 32-bit program, which this Wine (64-bit only) cannot
# run: its script is checked instead, for the Start-menu entry that starts
# the program and the uninstaller.
nsi=$build/package/_CPack_Packages/win64/NSIS/project.nsi
grep -q 'CreateShortCut "$SMPROGRAMS\\$STARTMENU_FOLDER\\Tallyhour Zide.lnk" "$INSTDIR\\.\\tallyhour-zide.exe"' "$nsi" &&
    grep -q 'WriteUninstaller' "$nsi" || { echo "$nsi: no Start-menu entry for the program or no uninstaller" >&2; exit 1; }
echo "Windows installer and portable ZIP in $build/package ($((SECONDS - started)) s)"

# Real windows: Wine's X11 driver on a private X server, a prefix of its own.
started=$SECONDS
display_file=$PWD/$build/xvfb-display
rm -f "$display_file"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 300); do [ -s "$display_file" ] && break; sleep 0.1; done
display=$(cat "$display_file")
export DISPLAY=:$display
start_wine "$PWD/$build/wineprefix-x11" x11

# A data file written on Linux, for the program to load.
sample=$(find "$native" -name tally-sample-data -type f -perm -u+x 2>/dev/null | head -n 1)
data_tool=$(find "$native" -name tallyhour-data -type f -perm -u+x 2>/dev/null | head -n 1)
if [ -n "$sample" ]; then
    linux_data=$PWD/$build/linux-data
    rm -rf "$linux_data" && mkdir -p "$linux_data"
    "$sample" "$linux_data" >/dev/null
    export TALLY_LINUX_DATA_FILE=Z:$linux_data/timers.dat
else
    echo "No Linux build in $native: the Windows program is not given a data file written on Linux"
fi
ctest --test-dir "$build" -L wine_x11 --output-on-failure

artifacts=$build/tests/wine_program/artifacts
for shot in "$artifacts"/*.bmp; do
    convert "$shot" "${shot%.bmp}.png" && rm -f "$shot"
done

# The file the Windows program saved, read by the Linux data tool.
if [ -n "$data_tool" ]; then
    "$data_tool" dump "$artifacts/timers.dat" | python3 -c '
import json, sys
dump = json.load(sys.stdin)
got = ["%s\t%d\t%d" % (t["name"], len(t["active_periods"]), len(t["background_periods"])) for t in dump["timers"]]
want = open(sys.argv[1], encoding="utf-8").read().splitlines()
if got != want:
    sys.exit("the Linux data tool reads %r, the Windows program wrote %r" % (got, want))
' "$artifacts/timers.expected"
    echo "The Linux data tool reads the timers the Windows program saved"
else
    echo "No Linux build in $native: the Windows program's data file is not read on Linux"
fi
echo "Windows program under Wine: $((SECONDS - started)) s; screenshots in $artifacts"
