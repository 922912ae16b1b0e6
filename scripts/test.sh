#!/usr/bin/env bash
# Builds and runs every test: the format check, the normal build, clang-tidy
# over the normal build's sources, the Debian package with lintian, the build
# without widgets, the ASan+UBSan build, the ThreadSanitizer build of the code
# on two threads, and a short run of every fuzz target.
# `--quick` runs the format check and the normal build's tests only.
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
[ "${1:-}" = "--quick" ] && quick=1

./scripts/install-deps.sh

jobs=${JOBS:-$(nproc)}
export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1
# The build without widgets compiles what the normal build compiled: ccache
# hands it back.
export CCACHE_BASEDIR=$PWD
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

echo "== format =="
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
echo "format: clean"

run_suite() {
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
    ctest --test-dir "$dir" --output-on-failure -j"$jobs" --timeout 300
}

echo "== build and test =="
run_suite build

[ $quick -eq 1 ] && exit 0

echo "== static checks: clang-tidy =="
# Any finding fails. A source found clean is checked again only once something
# it includes changes (the cache is in scripts/tidy.py).
tidy_start=$SECONDS
./scripts/tidy.py build -j"$jobs"
echo "clang-tidy: $((SECONDS - tidy_start)) s"

echo "== the Debian package =="
./scripts/package.sh --no-deps

echo "== without widgets: core, qbsend, qb-service and their tests build =="
# The same tests ran in the normal build; here it matters that they link without
# any widget library.
cmake -S . -B build-nogui -G Ninja "${launcher[@]}" -DQB_BUILD_GUI=OFF -DQB_BUILD_BENCH=OFF >/dev/null
cmake --build build-nogui -j"$jobs"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer =="
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DQB_SANITIZE=ON -DQB_BUILD_BENCH=OFF

echo "== ThreadSanitizer: the code that runs on two threads =="
# Only the tests of that code are built (thread_tests, see tests/CMakeLists.txt);
# the fault matrix runs qbsend and qb-service under it as children. Reports go to
# files, since the children's output is the tests' to read: any report fails the
# stage, also one from a child whose test passed.
tsan_start=$SECONDS
tsan_reports=$PWD/build-tsan/reports
rm -rf "$tsan_reports"
mkdir -p "$tsan_reports"
cmake -S . -B build-tsan -G Ninja "${launcher[@]}" -DQB_SANITIZE_THREAD=ON -DQB_BUILD_GUI=OFF \
    -DQB_BUILD_BENCH=OFF >/dev/null
cmake --build build-tsan -j"$jobs" --target thread_tests
# Rows of the fault matrix that run the same threads as the rows kept: they
# differ in what happens to the journal between runs, and the normal build runs them.
tsan_skipped='FaultMatrix.*/(ServiceStopped|ServiceKilledTwice|ServiceKilledThenResumeKilled|DiskFullThenSenderKilled|LastMarkFlipped|TailCut|OlderCopyPutBack) '
tsan_failed=0
TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp:log_path=$tsan_reports/report:log_exe_name=1:halt_on_error=0" \
    ctest --test-dir build-tsan --output-on-failure -j"$jobs" --timeout 300 -R '^tsan\.' \
    -E "$tsan_skipped" || tsan_failed=1
if compgen -G "$tsan_reports/report*" >/dev/null; then
    cat "$tsan_reports"/report*
    tsan_failed=1
fi
echo "ThreadSanitizer: $((SECONDS - tsan_start)) s"
[ $tsan_failed -eq 0 ]

if [ -f tests/fuzz/CMakeLists.txt ]; then
    echo "== fuzz targets (short runs) =="
    # A smoke run of each, seeded from its corpus; scripts/fuzz.sh alone runs longer.
    ./scripts/fuzz.sh "${FUZZ_SECONDS:-12}"
fi
