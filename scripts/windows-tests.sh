#!/usr/bin/env bash
# Cross-builds the core, the Windows backend, the keyboard-hook DLL, the
# census tool and their tests with mingw-w64, and runs the tests under Wine
# with the null graphics driver (no X server needed). The Qt program itself
# is built on Windows (see the README).
#
# Usage: scripts/windows-tests.sh [extra cmake arguments]
# TALLY_WINDOWS_BUILD names the build folder (default build-windows).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${TALLY_WINDOWS_BUILD:-build-windows}
jobs=$(nproc)

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$build" -j "$jobs"

# A Wine prefix of our own inside the build folder, never the user's.
export WINEPREFIX="$PWD/$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

# One persistent server for the prefix, so each test program does not wait
# for one to start and ctest does not wait for one to linger; a server left
# from an earlier run of this prefix goes first. Stopped when we are done.
wineserver -k 2>/dev/null || true
wineserver -w
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
ctest --test-dir "$build" -L wine --output-on-failure -j "$jobs"
