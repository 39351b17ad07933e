#!/usr/bin/env bash
# Cross-builds the core, the Windows backend, the keyboard-hook DLL, the
# census tool and their tests with mingw-w64, and runs the tests under Wine
# with the null graphics driver (no X server needed). There is no Qt for
# mingw here, so the Qt shell and the Windows entry point are only compiled
# for syntax, for Windows, against the Linux Qt headers; the program itself is
# built on Windows (see the README).
#
# Usage: scripts/windows-tests.sh [extra cmake arguments]
# TALLY_WINDOWS_BUILD names the build folder (default build-windows).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${TALLY_WINDOWS_BUILD:-build-windows}
jobs=$(nproc)

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALLY_WERROR=ON "$@"
cmake --build "$build" -j "$jobs"

# The shell and the Windows entry point, as the Windows compiler sees them:
# a POSIX-only call there fails here. Qt's headers are system headers (no
# warnings from them); ours keep warnings as errors.
qt_include=${TALLY_QT_INCLUDE:-/usr/include/x86_64-linux-gnu/qt6}
qt_mkspec=${TALLY_QT_MKSPEC:-/usr/lib/x86_64-linux-gnu/qt6/mkspecs/linux-g++}
if [ -d "$qt_include/QtWidgets" ]; then
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

# A Wine prefix of our own inside the build folder, never the user's.
export WINEPREFIX="$PWD/$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

# The null graphics driver: windows, messages and input work without X. It
# is set before the persistent server starts, so that no process of the run
# (the desktop's among them) comes up with another driver.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot --init
fi
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null

# One persistent server for the prefix, so each test program does not wait
# for one to start and ctest does not wait for one to linger. Stopped when we
# are done.
wineserver -k 2>/dev/null || true
wineserver -w
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
# Wine's own helpers (the desktop, services) start with the first program
# that needs them and outlive it; started here, they do not hold ctest's
# output pipes open after the tests end.
wine "$build/bin/tallyhour-windows.exe" >/dev/null 2>&1 </dev/null
ctest --test-dir "$build" -L wine --output-on-failure -j "$jobs"
