#!/usr/bin/env bash
# Builds the Debian package from a configured and built build folder
# (`cpack -G DEB`), unpacks it into a scratch root and checks what a user gets:
# the programs, the menu entry, the icons, the manual, the package's fields;
# then starts the unpacked program on a private Xvfb with openbox and a tray
# host, with a fresh home, and checks that it finds its manual, writes its
# autostart entry and keeps its data in the per-user folder, never beside
# itself in usr/bin.
#
#   scripts/check-package.sh [BUILD]     (default build-release)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build-release}
case "$build" in
    /*) ;;
    *) build="$root/$build" ;;
esac
name=tallyhour-zide
# shellcheck source=scripts/deps.sh
source scripts/deps.sh
tally_install_packages "${TALLY_PACKAGE_PACKAGES[@]}" "${TALLY_X11_PACKAGES[@]}"
version=$(sed -n 's/.*kProgramVersion = "\([0-9.]*\)".*/\1/p' src/model/version.h)

work=$(mktemp -d)
pids=()
cleanup() {
    # Stopped by their process ids, the program first.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "check-package: FAIL: $*" >&2
    failures=$((failures + 1))
}
# Polls a command for up to 20 seconds.
wait_for() {
    for _ in $(seq 200); do
        if "$@" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# The package.
rm -rf "$build/package"
(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || {
    cat "$work/cpack.log" >&2
    echo "check-package: cpack failed" >&2
    exit 1
}
deb="$build/package/${name}_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || {
    ls -l "$build/package" >&2
    echo "check-package: no $deb" >&2
    exit 1
}
echo "check-package: $deb"

# Its fields.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = "$name" ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', the program says $version"
[ "$(field Section)" = utils ] || fail "Section is '$(field Section)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"
depends=$(field Depends)
[ -n "$depends" ] || fail "Depends is empty (dpkg-shlibdeps did not run)"
grep -q 'libqt6widgets6' <<<"$depends" || fail "Depends does not name Qt: $depends"
# Read from the parts the program loads when first needed, and named by hand
# for the library the internet probe opens at its first request.
for library in libqt6charts6 libqt6multimedia6 libcurl4; do
    grep -q "$library" <<<"$depends" || fail "Depends does not name $library: $depends"
done

# Its files: exactly these, so that a stray install rule (a test, a
# benchmark, a fuzz target) shows.
pkg="$work/root"
dpkg -x "$deb" "$pkg"
expected=(
    "usr/bin/$name" usr/bin/tallyhour-data usr/bin/tallyhour-windows
    "usr/share/applications/$name.desktop"
    "usr/share/$name/kwin/kwin-window-feed.js"
    "usr/share/gnome-shell/extensions/tallyhour-zide@tallyhour.org/extension.js"
    "usr/share/gnome-shell/extensions/tallyhour-zide@tallyhour.org/metadata.json"
    "usr/lib/$name/$name-statistics.so"
    "usr/lib/$name/$name-sound.so"
)
for form in legacy module; do
    for file in extension.js metadata.json; do
        expected+=("usr/share/$name/gnome-shell/$form/tallyhour-zide@tallyhour.org/$file")
    done
done
sizes=(16 22 24 32 48 64 128 256)
for size in "${sizes[@]}"; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$name.png")
done
while IFS= read -r file; do
    expected+=("usr/share/$name/help/${file#docs/help/}")
done < <(find docs/help -type f)
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$pkg" && find . -type f -printf '%P\n' | sort) \
    || fail "the package's files differ from the list above (< missing, > extra)"

for program in $name tallyhour-data tallyhour-windows; do
    if ! { [ -x "$pkg/usr/bin/$program" ] && file -L "$pkg/usr/bin/$program" | grep -q 'ELF.*executable'; }; then
        fail "usr/bin/$program is not an executable program"
    fi
done

entry="$pkg/usr/share/applications/$name.desktop"
if [ -f "$entry" ]; then
    desktop-file-validate "$entry" || fail "desktop-file-validate rejects the menu entry"
    exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    [ -x "$pkg/usr/bin/$(basename "$exec_program")" ] || fail "the entry runs '$exec_program', not in usr/bin"
    grep -qx "Icon=$name" "$entry" || fail "the entry's icon is not $name"
fi
for size in "${sizes[@]}"; do
    icon="$pkg/usr/share/icons/hicolor/${size}x${size}/apps/$name.png"
    if ! { [ -f "$icon" ] && file "$icon" | grep -q "PNG image data, $size x $size,"; }; then
        fail "no $size x $size PNG icon"
    fi
done

# The unpacked program, started with a fresh home on a private display.
home="$work/home"
data="$work/data"
mkdir -p "$home" "$data/$name" "$work/config" "$work/bin"
mkdir -m 700 "$work/run"
# The run log on, so that it is written too; the first launch opens the
# window, and the statistics window as if left open, from its part.
printf '[main]\nLogActive=1\nLogDetail=0\nSoundOn=0\nSplashOn=0\nStatVisible=1\n' >"$data/$name/tallyhourlite.ini"
# "Help" opens the manual through xdg-open: this one only notes the address.
# shellcheck disable=SC2016
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s"\n' "$work/opened" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"

mkfifo "$work/display"
Xvfb -nolisten tcp -screen 0 1024x768x24 -displayfd 3 3>"$work/display" >/dev/null 2>&1 &
pids+=("$!")
read -r -t 20 number <"$work/display"
export DISPLAY=":$number"
openbox --sm-disable >/dev/null 2>&1 &
pids+=("$!")
wait_for xprop -root _NET_SUPPORTING_WM_CHECK
trayer --edge top --align right --widthtype request --height 24 --SetDockType true --transparent false \
    >/dev/null 2>&1 &
pids+=("$!")

env -u TALLYHOUR_DATA_DIR QT_QPA_PLATFORM=xcb HOME="$home" XDG_DATA_HOME="$data" \
    XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" PATH="$work/bin:$PATH" \
    DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" TALLYHOUR_PROBE_URL=http://127.0.0.1:9/ \
    "$pkg/usr/bin/$name" >"$work/program.log" 2>&1 &
program=$!
pids+=("$program")

if wait_for sh -c "xwininfo -root -tree | grep '\"Tallyhour Zide\"' | grep -q '465x329+'"; then
    window=$(xwininfo -root -tree | awk '/"Tallyhour Zide"/ && /465x329\+/ && !found {print $1; found = 1}')
    wait_for sh -c "xwininfo -id $window | grep -q IsViewable" || true
    read -r wx wy < <(xwininfo -id "$window" \
        | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4} END {print x, y}')
    # The skin's help button.
    xdotool mousemove $((wx + 391)) $((wy + 25)) click 1
    manual="$pkg/usr/share/$name/help/index.html"
    wait_for grep -qxF "file://$manual" "$work/opened" || fail "Help did not open $manual (opened: $(cat "$work/opened" 2>&1))"
else
    fail "the unpacked program showed no window"
fi

wait_for sh -c "xwininfo -root -tree | grep -q '\"Statistic\"'" \
    || fail "the statistics window did not open: $(grep -a 'Statistics' "$data/$name/log.txt" 2>&1)"

autostart="$work/config/autostart/$name.desktop"
if wait_for test -f "$autostart"; then
    grep -q "^Exec=.*$pkg/usr/bin/$name" "$autostart" || fail "the autostart entry does not run the program: $(grep ^Exec "$autostart")"
    desktop-file-validate "$autostart" || fail "desktop-file-validate rejects the autostart entry"
else
    fail "no autostart entry at $autostart"
fi

# An orderly end saves the data file.
kill -TERM "$program" 2>/dev/null || fail "the unpacked program did not keep running"
wait "$program" || fail "the unpacked program ended with status $?: $(tail -n 20 "$work/program.log")"
pids=("${pids[@]:0:${#pids[@]}-1}")
for file in timers.dat tallyhourlite.ini log.txt; do
    [ -f "$data/$name/$file" ] || fail "no $file in the per-user folder \$XDG_DATA_HOME/$name/"
done
written=$(cd "$pkg/usr/bin" && find . -mindepth 1 ! -name $name ! -name tallyhour-data ! -name tallyhour-windows -printf '%P ')
[ -z "$written" ] || fail "the program wrote beside itself in usr/bin: $written"

if [ "$failures" -ne 0 ]; then
    echo "check-package: $failures check(s) failed" >&2
    exit 1
fi
echo "check-package: the package is sound"
