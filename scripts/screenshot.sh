#!/usr/bin/env bash
# Takes the README's picture of the program: the real program on a private
# Xvfb with openbox and a tray host, a few sample timers, the main window
# open, and the window's cut-out corners made transparent; then the
# statistics window opened with the main window's button, beside it; then
# its histogram page over the last week, with two timers picked.
#
#   scripts/screenshot.sh [OUTPUT [STATISTICS [HISTOGRAM]]]
#   (defaults docs/screenshot.png, docs/statistics.png and docs/histogram.png)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
output=${1:-docs/screenshot.png}
statistics=${2:-docs/statistics.png}
histogram=${3:-docs/histogram.png}
case "$output" in
    /*) ;;
    *) output="$root/$output" ;;
esac
case "$statistics" in
    /*) ;;
    *) statistics="$root/$statistics" ;;
esac
case "$histogram" in
    /*) ;;
    *) histogram="$root/$histogram" ;;
esac
source scripts/deps.sh
tally_install_packages "${TALLY_BUILD_PACKAGES[@]}" "${TALLY_X11_PACKAGES[@]}" "${TALLY_DBUS_PACKAGES[@]}" \
    "${TALLY_GUI_PACKAGES[@]}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target tallyhour-zide tally-sample-data tally-test-window

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

# Polls a command for up to 20 seconds.
wait_for() {
    for _ in $(seq 200); do
        if "$@" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.1
    done
    echo "screenshot.sh: timed out waiting for: $*" >&2
    return 1
}

# Xvfb picks a free display number and writes it once it accepts clients.
mkfifo "$work/display"
Xvfb -nolisten tcp -screen 0 1024x768x24 -displayfd 3 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
read -r -t 20 number <"$work/display"
export DISPLAY=":$number"

openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
wait_for xprop -root _NET_SUPPORTING_WM_CHECK
trayer --edge top --align right --widthtype request --height 24 --SetDockType true --transparent false \
    >/dev/null 2>&1 &
pids+=($!)
wait_for sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id" && xwininfo -root -tree | grep -q "\"panel\""'

# The program in a folder of its own, which a portable marker makes its data
# folder; nothing reaches the real home.
cp build/src/shell/tallyhour-zide "$work/"
: >"$work/portable"
cp build/tests/x11/rig/tally-test-window "$work/editor"
build/tests/e2e/tally-sample-data "$work" editor --history
mkdir -m 700 "$work/run"
printf '[main]\nFirstLaunch=1\nSplashOn=0\nAutoRun=0\nSoundOn=0\n[view]\nShowColor=1\nShowTodayTime=1\n' \
    >"$work/tallyhourlite.ini"

# The editor's window, so that its timer runs; it ends when its input closes.
mkfifo "$work/editor-input"
"$work/editor" --title "main.cpp - Code editor" <"$work/editor-input" >/dev/null &
pids+=($!)
exec 4>"$work/editor-input"

env QT_QPA_PLATFORM=xcb TALLYHOUR_DATA_DIR= XDG_DATA_HOME="$work/share" XDG_CONFIG_HOME="$work/config" \
    XDG_RUNTIME_DIR="$work/run" \
    DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" TALLYHOUR_PROBE_URL=http://127.0.0.1:9/ \
    "$work/tallyhour-zide" >/dev/null 2>&1 &
pids+=($!)

# The main window: 465 x 329, titled like the program.
find_window() {
    xwininfo -root -tree | awk '/"Tallyhour Zide"/ && /465x329\+/ && !found {print $1; found = 1}'
}
wait_for sh -c "xwininfo -root -tree | grep '\"Tallyhour Zide\"' | grep -q '465x329+'"
window=$(find_window)
wait_for sh -c "xwininfo -id $window | grep -q IsViewable"
# Away from the buttons; then two ticks, so the times and state dots are drawn.
xdotool mousemove 0 767
sleep 2.5

import -window "$window" "$work/window.png"
# The skin's key colour marks what the window cuts out: transparent here.
convert assets/generated/skin.png -alpha off -fill white +opaque 'rgb(8,9,13)' -fill black -opaque 'rgb(8,9,13)' \
    "$work/mask.png"
mkdir -p "$(dirname "$output")"
convert "$work/window.png" "$work/mask.png" -alpha off -compose CopyOpacity -composite -strip "$output"
echo "Wrote $output"

# The statistics window: the main window moved left so that both fit on
# the screen, the first timer picked, then the statistic button.
xdotool windowmove "$window" 20 120
sleep 0.5
read -r mx my < <(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4} END {print x, y}')
xdotool mousemove $((mx + 72)) $((my + 114)) click 1
sleep 0.5
xdotool mousemove $((mx + 448)) $((my + 296)) click 1
wait_for sh -c "xwininfo -root -tree | grep '\"Statistic\"' | grep -q '350x232+'"
xdotool mousemove 0 767
sleep 1.5
# Both windows as they stand side by side on the screen.
import -window root -crop "$((465 + 350))x329+${mx}+${my}" +repage "$work/both.png"
mkdir -p "$(dirname "$statistics")"
convert "$work/both.png" -strip "$statistics"
echo "Wrote $statistics"

# The histogram: the second timer added to the pick, the "Histogram" tab,
# and the date track bar six days back so that the week ends today.
xdotool mousemove $((mx + 172)) $((my + 114)) keydown ctrl click 1 keyup ctrl
sleep 0.5
sx=$((mx + 465))
sy=$((my + 93))
xdotool mousemove $((sx + 125)) $((sy + 204)) click 1
sleep 0.5
for _ in 1 2 3 4 5 6; do
    xdotool mousemove $((sx + 28)) $((sy + 222)) click 1
    sleep 0.2
done
xdotool mousemove 0 767
sleep 1.5
import -window root -crop "350x232+${sx}+${sy}" +repage "$work/histogram.png"
mkdir -p "$(dirname "$histogram")"
convert "$work/histogram.png" -strip "$histogram"
echo "Wrote $histogram"
