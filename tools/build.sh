#!/usr/bin/env bash
# Installs what is missing (Debian/Ubuntu) and builds everything into the build folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FESTIVO_BUILD:-$root/build}
"$root/tools/deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)"
