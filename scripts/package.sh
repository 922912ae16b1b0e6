#!/usr/bin/env bash
# Builds the Debian package from the normal build folder, build/, and checks it
# with lintian: build/quillbank2_<version>_<arch>.deb. Any lintian error fails;
# warnings and notes are shown. `--no-deps` skips install-deps.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

[ "${1:-}" = "--no-deps" ] || ./scripts/install-deps.sh

jobs=${JOBS:-$(nproc)}
export CCACHE_BASEDIR=$PWD
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -G Ninja "${launcher[@]}" >/dev/null
cmake --build build -j"$jobs"

rm -f build/quillbank2_*.deb
(cd build && cpack -G DEB)
deb=$(ls build/quillbank2_*.deb)
lintian --fail-on error --info "$deb"
echo "package: $deb (lintian: no error)"
