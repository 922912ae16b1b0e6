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
for t in "${targets[@]}"; do
    corpus=build-fuzz/corpus/$t
    mkdir -p "$corpus"
    seeds=()
    [ -d "tests/fuzz/corpus/$t" ] && seeds=("tests/fuzz/corpus/$t")
    # Whole seeds: a workbook cut at 4 KiB is no longer a workbook.
    max_len=4096
    if [ ${#seeds[@]} -gt 0 ]; then
        largest=$(find "${seeds[@]}" -type f -printf '%s\n' | sort -n | tail -n 1)
        [ -n "$largest" ] && [ "$largest" -gt "$max_len" ] && max_len=$largest
    fi
    echo "== $t: ${seconds} s =="
    log=build-fuzz/$t.log
    if ! "build-fuzz/tests/fuzz/$t" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
        -artifact_prefix="build-fuzz/crashes/$t-" -print_final_stats=1 "$corpus" "${seeds[@]}" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "fuzz.sh: $t failed; the input is in build-fuzz/crashes/" >&2
        exit 1
    fi
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
done
