#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds, and runs every test: first the
# normal build, then the Release build and its Debian package, then again with
# AddressSanitizer and UndefinedBehaviorSanitizer, and last the fuzz targets for
# a bounded time. Warnings are errors in all of these builds.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh

tally_install_packages "${TALLY_BUILD_PACKAGES[@]}" "${TALLY_X11_PACKAGES[@]}" "${TALLY_DBUS_PACKAGES[@]}" \
    "${TALLY_GUI_PACKAGES[@]}" "${TALLY_PACKAGE_PACKAGES[@]}"
tally_ensure_locales

jobs=$(nproc)

# Each step's minutes, so a run that grows shows where.
step() { echo "test.sh: $1 after $((SECONDS / 60)) min $((SECONDS % 60)) s"; }

scripts/check-format.sh
scripts/check-includes.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALLY_WERROR=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"
step "normal build and tests"

# The Release build (-O3) of what the package holds (its tests ran above in
# the normal build); the Debian package from it, checked.
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTALLY_WERROR=ON -DTALLY_BUILD_TESTS=OFF \
    -DTALLY_BUILD_BENCH=OFF
cmake --build build-release -j "$jobs"
scripts/check-package.sh build-release
step "Release build and package"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTALLY_WERROR=ON -DTALLY_SANITIZE=ON -DTALLY_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions="$PWD/tests/sanitizer/lsan.supp" \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"
step "sanitizer build and tests"

# Windows: the core, the win32 backend and the hook DLL cross-built with
# mingw-w64, their tests run under Wine (own build folder and Wine prefix);
# with Qt for mingw-w64 at hand (never built here) also the program, its
# installer and portable ZIP, and the program under Wine on a private Xvfb.
tally_install_packages "${TALLY_WINDOWS_PACKAGES[@]}"
scripts/windows-tests.sh
step "Windows build and Wine tests"

# Fuzz the file readers for a bounded time (clang and libFuzzer, own build folder).
scripts/fuzz.sh
step "fuzzing"
