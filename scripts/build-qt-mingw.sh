#!/usr/bin/env bash
# Cross-builds Qt 6.4.2 for x86_64-w64-mingw32 (shared, release) into the fixed
# prefix /opt/qt6-mingw-6.4.2, with Debian's own Linux Qt 6.4.2 as the host
# tools: qtbase from Debian's qt6-base source package, then qtcharts against it.
# About 1,300 build steps, roughly an hour on two idle cores; run it once, the
# Windows build and its tests reuse the prefix (scripts/windows-tests.sh).
#
# Usage: scripts/build-qt-mingw.sh [WORKDIR] [QTCHARTS_TARBALL] [--pack TARBALL]
#   WORKDIR           sources and build folders (default: build-qt-mingw)
#   QTCHARTS_TARBALL  Qt Charts 6.4.2 as released (default: ../shared/qt-mingw/
#                     qtcharts-everywhere-src-6.4.2.tar.xz beside the repository).
#                     Debian's archive has no qtcharts source; the release is the
#                     v6.4.2 tag of Qt's qtcharts repository (commit 445119bc),
#                     downloadable as qtcharts-everywhere-src-6.4.2.tar.xz from
#                     https://download.qt.io/archive/qt/6.4/6.4.2/submodules/
#   --pack TARBALL    afterwards, pack the prefix as a tarball (tar -C / -xJf unpacks it)
#
# Needs qt6-base-dev (the host Qt 6.4.2), g++-mingw-w64-x86-64-posix, cmake,
# ninja-build, perl, and a deb-src line for the archive the system uses (for
# `apt-get source qt6-base`).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(realpath -m "${1:-$root/build-qt-mingw}")
charts=$(realpath -m "${2:-$root/../shared/qt-mingw/qtcharts-everywhere-src-6.4.2.tar.xz}")
pack=
if [ "${3:-}" = --pack ]; then pack=$(realpath -m "$4"); fi
[ -f "$charts" ] || { echo "No Qt Charts 6.4.2 release at $charts (see the comment at the top)" >&2; exit 1; }

PREFIX=/opt/qt6-mingw-6.4.2   # Qt's toolchain file records absolute paths, so the prefix stays fixed
SRC=$work/src; BLD=$work/build
mkdir -p "$SRC" "$BLD" "$PREFIX"
[ -d "$SRC/qtbase-everywhere-src-6.4.2" ] || (cd "$SRC" && apt-get source --download-only qt6-base &&
    tar xf qt6-base_6.4.2+dfsg.orig.tar.xz)
[ -d "$SRC/qtcharts-everywhere-src-6.4.2" ] || tar -C "$SRC" -xJf "$charts"

# Qt's own build uses its own toolchain file, kept in the prefix (Qt's
# qt.toolchain.cmake loads it for every project configured with qt-cmake).
cat > "$PREFIX/mingw64.cmake" <<'TC'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER   x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER  x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TC

mkdir -p "$BLD/base" && cd "$BLD/base"
# Debian's qtbase source has no src/3rdparty/wintab, hence no tablet events;
# the rest is left out because the program does not use it.
[ -f build.ninja ] || "$SRC/qtbase-everywhere-src-6.4.2/configure" -prefix "$PREFIX" -release -shared \
    -qt-host-path /usr -xplatform win32-g++ -nomake examples -nomake tests \
    -no-pkg-config -no-opengl -no-feature-vulkan -no-feature-tabletevent \
    -no-feature-sql -no-feature-dbus -no-feature-androiddeployqt -no-icu \
    -qt-zlib -qt-pcre -qt-libpng -no-libjpeg -qt-harfbuzz -qt-freetype -no-feature-network \
    -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PREFIX/mingw64.cmake" \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
cmake --build . --parallel "$(nproc)" && cmake --install .

mkdir -p "$BLD/charts" && cd "$BLD/charts"
[ -f build.ninja ] || "$PREFIX/bin/qt-cmake-private" -S "$SRC/qtcharts-everywhere-src-6.4.2" -B . -G Ninja
cmake --build . --parallel "$(nproc)" && cmake --install .

# The compiler's runtime DLLs, which Qt's DLLs need beside them.
cp /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libstdc++-6.dll /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libgcc_s_seh-1.dll \
    /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$PREFIX/bin/"
echo "Qt 6.4.2 for mingw-w64 is in $PREFIX"
if [ -n "$pack" ]; then
    tar -C / -cJf "$pack" "${PREFIX#/}"
    echo "Packed as $pack"
fi
