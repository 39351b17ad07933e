#!/usr/bin/env bash
# Keeps the core's layering: each core folder includes only the folders below
# it, and no core file (nor the platform interface) includes an operating-
# system, Qt or X header. The shell lives in feature folders only, and its
# shared widgets (shell/common) reach no feature. Run by the build and by
# ./test.sh; prints every offending line and fails if there is one.
set -euo pipefail
src="${1:-$(dirname "$0")/../src}"

# Which project folders each folder may include (besides itself).
declare -A allowed=(
    [model]=""
    [platform]="model"
    [runlog]="model platform"
    [storage]="model runlog platform"
    [tracking]="model runlog platform"
    [stats]="model runlog platform"
    [view]="model runlog platform stats storage"
)
# Headers that tie code to a system or a toolkit.
system='^#\s*include\s*<(Q[A-Za-z]*|X11/|xcb/|systemd/|curl/|windows\.h|winsock|io\.h|unistd\.h|fcntl\.h|sys/|dirent\.h|dlfcn\.h|poll\.h|pthread\.h|termios\.h|pwd\.h|grp\.h)'

failed=0
report() {
    echo "$1: $2" >&2
    failed=1
}

for folder in "${!allowed[@]}"; do
    if [ "$folder" = platform ]; then
        # The interface only: the backends below it are platform code.
        files=$(find "$src/platform" -maxdepth 1 -name '*.h' -o -maxdepth 1 -name '*.cpp')
    else
        [ -d "$src/$folder" ] || continue
        files=$(find "$src/$folder" -name '*.h' -o -name '*.cpp')
    fi
    for file in $files; do
        while IFS= read -r line; do
            if [[ "$line" =~ ^#[[:space:]]*include[[:space:]]*\"([a-z0-9_]+)/([^\"]*)\" ]]; then
                target="${BASH_REMATCH[1]}"
                rest="${BASH_REMATCH[2]}"
                if [ "$target" = "$folder" ]; then
                    continue
                fi
                if [[ " ${allowed[$folder]} " != *" $target "* ]]; then
                    report "$file" "includes $target/ against the direction: $line"
                elif [ "$target" = platform ] && [[ "$rest" == */* ]]; then
                    report "$file" "includes a platform backend: $line"
                fi
            elif [[ "$line" =~ $system ]]; then
                report "$file" "includes a system or toolkit header: $line"
            fi
        done < <(grep -E '^#\s*include' "$file")
    done
done

# The shell: every file in a feature folder, includes of the shell by folder.
shell_features="app main_window projects statistics common"
if [ -d "$src/shell" ]; then
    for file in $(find "$src/shell" -maxdepth 1 -name '*.h' -o -maxdepth 1 -name '*.cpp'); do
        report "$file" "belongs in one of the shell's folders ($shell_features)"
    done
    for file in $(find "$src/shell" -mindepth 2 -name '*.h' -o -mindepth 2 -name '*.cpp'); do
        folder=$(basename "$(dirname "$file")")
        if [[ " $shell_features " != *" $folder "* ]]; then
            report "$file" "is in an unknown shell folder: $folder"
            continue
        fi
        while IFS= read -r line; do
            if [[ "$line" =~ ^#[[:space:]]*include[[:space:]]*\"shell/([^\"]*)\" ]]; then
                rest="${BASH_REMATCH[1]}"
                target="${rest%%/*}"
                if [ "$target" = "$rest" ] || [[ " $shell_features " != *" $target "* ]]; then
                    report "$file" "includes the shell outside its folders: $line"
                elif [ "$folder" = common ] && [ "$target" != common ]; then
                    report "$file" "shared widgets include a feature: $line"
                fi
            fi
        done < <(grep -E '^#\s*include' "$file")
    done
fi
exit $failed
