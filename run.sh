#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the program and starts it on the
# current desktop (it lives in the notification area).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh

tally_install_packages "${TALLY_BUILD_PACKAGES[@]}" "${TALLY_X11_PACKAGES[@]}" "${TALLY_DBUS_PACKAGES[@]}" \
    "${TALLY_GUI_PACKAGES[@]}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target tallyhour-zide
exec build/src/shell/tallyhour-zide "$@"
