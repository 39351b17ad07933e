# Installs the Debian packages that are missing. Sourced by test.sh and run.sh.

tally_missing_packages() {
    local missing=()
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    echo "${missing[@]:-}"
}

tally_install_packages() {
    local missing
    missing=$(tally_missing_packages "$@")
    if [ -n "$missing" ]; then
        echo "Installing: $missing"
        local sudo=""
        [ "$(id -u)" -ne 0 ] && sudo="sudo"
        $sudo apt-get update
        # shellcheck disable=SC2086
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
    fi
}

# Locales that tests use for decimal separators, date formats and case folding.
tally_ensure_locales() {
    local needed=("de_DE.UTF-8" "en_US.UTF-8" "tr_TR.UTF-8")
    local generate=0
    for loc in "${needed[@]}"; do
        local short=${loc/.UTF-8/.utf8}
        if ! locale -a 2>/dev/null | grep -qx "$short"; then
            generate=1
        fi
    done
    if [ "$generate" -eq 1 ]; then
        local sudo=""
        [ "$(id -u)" -ne 0 ] && sudo="sudo"
        for loc in "${needed[@]}"; do
            if ! grep -q "^$loc UTF-8" /etc/locale.gen 2>/dev/null; then
                echo "$loc UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
            fi
        done
        $sudo locale-gen
    fi
}

TALLY_BUILD_PACKAGES=(
    cmake ninja-build g++ pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-format
    libcurl4-openssl-dev
    tzdata locales
    nlohmann-json3-dev
    clang libclang-rt-14-dev
)

# The X11 backend and its test rig.
TALLY_X11_PACKAGES=(
    libxcb1-dev libxcb-randr0-dev libxcb-res0-dev libxcb-xinput-dev libxcb-screensaver0-dev libx11-xcb-dev
    xvfb openbox xdotool xclip x11-utils util-linux procps trayer imagemagick
)

# Lock and sleep over logind, and the D-Bus test rig.
TALLY_DBUS_PACKAGES=(
    libsystemd-dev dbus dbus-daemon python3-dbusmock systemd
)

# The Qt application shell and its offscreen tests. The charts package needs the OpenGL
# development files without depending on them; pdftoppm reads the histogram's printout.
# Qt's Wayland plugin for desktops without X, and headless Wayland compositors
# (with their X layer, and a terminal for sway to open) to test it under; the Wayland backend's client library,
# protocol files and scanner. A sync tool for the test of two computers sharing
# a folder.
TALLY_GUI_PACKAGES=(
    qt6-base-dev qt6-multimedia-dev qt6-charts-dev libqt6opengl6-dev libgl-dev poppler-utils
    qt6-wayland weston xwayland sway foot libwayland-dev wayland-protocols syncthing
    # KWin, run virtual for the Plasma test; node runs our KWin script on a mock workspace.
    kwin-wayland nodejs
    # GNOME Shell, run headless for the GNOME test with our extension.
    gnome-shell
)

# Building the Debian package (dpkg-shlibdeps needs dpkg-dev and file) and
# checking it (scripts/check-package.sh).
TALLY_PACKAGE_PACKAGES=(
    dpkg-dev file desktop-file-utils
)

# Drawing the pictures and the click sound (assets/make_assets.py, assets/check_assets.sh).
# The generated files are committed, so building the program does not need these.
TALLY_ASSET_PACKAGES=(
    python3-pil fonts-dejavu-core
)

# The Windows cross-build and its tests under Wine (scripts/windows-tests.sh).
# Debian's wine runs 64-bit programs with wine64 alone: no i386 architecture.
TALLY_WINDOWS_PACKAGES=(
    g++-mingw-w64-x86-64-posix googletest wine wine64 nsis zip unzip xvfb imagemagick
)
