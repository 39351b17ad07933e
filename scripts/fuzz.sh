#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/CMakeLists.txt) with clang in build-fuzz
# and runs each for a bounded time, starting from its seed corpus in
# tests/data/fuzz/<target>/. Any crash, leak, sanitizer report or hang fails.
# TALLY_FUZZ_SECONDS sets the time per target (default 20).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${TALLY_FUZZ_SECONDS:-20}
build=build-fuzz
jobs=$(nproc)

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DTALLY_BUILD_FUZZ=ON -DTALLY_WERROR=ON -DTALLY_BUILD_TESTS=OFF -DTALLY_BUILD_BENCH=OFF -DTALLY_BUILD_GUI=OFF
cmake --build "$build" --target fuzzers -j "$jobs"

IFS=';' read -r -a targets < "$build/fuzz/targets.txt"
for target in "${targets[@]}"; do
    # New inputs go to the build folder's corpus; the seeds stay untouched.
    corpus="$build/fuzz/corpus/$target"
    artifacts="$build/fuzz/artifacts/$target"
    mkdir -p "$corpus" "$artifacts"
    seeds=()
    [ -d "tests/data/fuzz/$target" ] && seeds=("tests/data/fuzz/$target")
    echo "Fuzzing $target for ${seconds}s"
    if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" "${seeds[@]}" 2>"$build/fuzz/$target.log"; then
        tail -n 60 "$build/fuzz/$target.log"
        echo "Fuzz target $target failed; the input is in $artifacts/" >&2
        exit 1
    fi
    grep -E "^stat::number_of_executed_units|^Done" "$build/fuzz/$target.log" || true
done
echo "Fuzzing found nothing."
