#!/usr/bin/env bash
# Installs what is missing (Debian/Ubuntu) and builds everything into the build folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FESTIVO_BUILD:-$root/build}
"$root/tools/deps.sh"
# ccache (when present) lets several checkouts of the tree share compiled objects.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$root")} CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
