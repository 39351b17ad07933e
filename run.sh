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
# The program keeps its data in the per-user folder, unless its own folder
# already holds them. Earlier builds left them here in the build tree, where a
# clean or a fresh clone deletes them: move them out once, while the program
# is not running and the per-user folder holds no data of its own.
program_dir=build/src/shell
if [[ -z "${TALLYHOUR_DATA_DIR:-}" && ! -e "$program_dir/portable" ]] &&
    [[ -e "$program_dir/timers.dat" || -e "$program_dir/tallyhourlite.ini" ]]; then
    data_home=${XDG_DATA_HOME:-}
    [[ "$data_home" == /* ]] || data_home="$HOME/.local/share"
    data_dir="$data_home/tallyhour-zide"
    lock="${XDG_RUNTIME_DIR:-/nonexistent}/tallyhour-zide.lock"
    [[ -d "${XDG_RUNTIME_DIR:-/nonexistent}" ]] || lock="${TMPDIR:-/tmp}/tallyhour-zide-$(id -u).lock"
    if [[ -e "$data_dir/timers.dat" || -e "$data_dir/tallyhourlite.ini" ]]; then
        # Starting now would keep saving into the build tree, which a clean
        # deletes: the user chooses first.
        echo "run.sh: both $program_dir and $data_dir hold timers." >&2
        echo "run.sh: move the files you want to keep into $data_dir (and the others out of $program_dir)," >&2
        echo "run.sh: or put an empty file named 'portable' into $program_dir to keep using that one." >&2
        exit 1
    elif [[ -e "$lock" ]] && ! flock -n "$lock" true; then
        echo "run.sh: the program is running; its data stay in $program_dir for now." >&2
    else
        mkdir -p "$data_home"
        mkdir -p -m 700 "$data_dir"
        names=(timers.dat tallyhourlite.ini log.txt '~timersBackup.dat' loadatime.txt notloadprojectid.txt
            notloadprojects.txt)
        left=()
        for name in "${names[@]}"; do
            if [[ -e "$program_dir/$name" ]]; then
                mv -n "$program_dir/$name" "$data_dir/"
            fi
            if [[ -e "$program_dir/$name" ]]; then
                left+=("$name")
            fi
        done
        if [[ ${#left[@]} -eq 0 ]]; then
            echo "run.sh: moved the timers and settings from $program_dir to $data_dir." >&2
        else
            # Same names already in the data folder: nothing is overwritten.
            echo "run.sh: moved the timers and settings to $data_dir; left in $program_dir: ${left[*]}" >&2
        fi
    fi
fi

exec "$program_dir/tallyhour-zide" "$@"
