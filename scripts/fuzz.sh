#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each one for
# SECONDS seconds (default 20), seeded from tests/fuzz/corpus/<target>.
# New inputs go to build-fuzz/corpus/<target>; crashes to build-fuzz/crashes/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
jobs=${JOBS:-$(nproc)}

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DQB_FUZZ=ON -DQB_BUILD_GUI=OFF -DQB_BUILD_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

mapfile -t targets < <(grep -hoP '^qb_add_fuzzer\(\K[A-Za-z0-9_]+' tests/fuzz/CMakeLists.txt tests/fuzz/*/CMakeLists.txt)
cmake --build build-fuzz -j"$jobs" --target "${targets[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p build-fuzz/crashes
# One target per core at a time; each writes its own log.
fuzz_one() {
    local t=$1 corpus=build-fuzz/corpus/$1 seeds=() max_len=4096 largest
    mkdir -p "$corpus"
    [ -d "tests/fuzz/corpus/$t" ] && seeds=("tests/fuzz/corpus/$t")
    # Whole seeds: a workbook cut at 4 KiB is no longer a workbook.
    if [ ${#seeds[@]} -gt 0 ]; then
        largest=$(find "${seeds[@]}" -type f -printf '%s\n' | sort -n | tail -n 1)
        [ -n "$largest" ] && [ "$largest" -gt "$max_len" ] && max_len=$largest
    fi
    "build-fuzz/tests/fuzz/$t" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
        -artifact_prefix="build-fuzz/crashes/$t-" -print_final_stats=1 "$corpus" "${seeds[@]}" \
        >"build-fuzz/$t.log" 2>&1
}

failed=()
running=()
finish_one() {
    local t=${running[0]}
    running=("${running[@]:1}")
    if wait "${pids[$t]}"; then
        echo "== $t: ${seconds} s =="
        grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)' "build-fuzz/$t.log" || true
    else
        tail -n 60 "build-fuzz/$t.log"
        echo "fuzz.sh: $t failed; the input is in build-fuzz/crashes/" >&2
        failed+=("$t")
    fi
}
declare -A pids
for t in "${targets[@]}"; do
    [ ${#running[@]} -ge "$jobs" ] && finish_one
    fuzz_one "$t" &
    pids[$t]=$!
    running+=("$t")
done
while [ ${#running[@]} -gt 0 ]; do finish_one; done
[ ${#failed[@]} -eq 0 ] || exit 1
