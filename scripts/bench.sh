#!/usr/bin/env bash
# Builds and runs the folder-scan benchmark under Wine.
#   scripts/bench.sh [FILES...]      default: 20000 100000
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
arch=$(bash scripts/host-arch.sh)
build=${MARROWICK_BENCH_BUILD:-$root/build/bench-$arch}
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw.cmake -DMARROWICK_ARCH="$arch" \
    -DMARROWICK_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target scan_bench
scripts/wine-run.sh --arch="$arch" --build="$build" "$build/bench/scan_bench.exe" "$@"
