#!/usr/bin/env bash
# Installs what is missing, builds Marrowick and its tests, and runs them
# under Wine. Usage: scripts/test.sh [extra ctest arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh --both-routes
source "$root/scripts/wine-route.bash"

# The tests run the shipped 32-bit build: natively where the kernel runs
# 32-bit processes, through qemu-user where it cannot (ia32 emulation
# switched off). Only a host with neither falls back to a 64-bit build.
arch=$(bash scripts/host-arch.sh)
build=${MARROWICK_TEST_BUILD:-$root/build/test-$arch}

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw.cmake -DMARROWICK_ARCH="$arch" >/dev/null
cmake --build "$build" -j"$(nproc)"
if [ "$arch" != i686 ]; then
    # Make sure the shipped 32-bit program still builds.
    cmake -S . -B "$root/build/i686" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw.cmake -DMARROWICK_ARCH=i686 -DMARROWICK_TESTS=OFF >/dev/null
    cmake --build "$root/build/i686" -j"$(nproc)" --target marrowick
fi

cd "$build"
status=0
# One route for the whole run, chosen here.
wine_route "$arch"
[ "$arch" != i686 ] || export MARROWICK_WINE_ROUTE=$wine_route
# Serially: the programs share one wineserver, and tests of focus and
# activation would race with windows of a program running beside them.
ctest --output-on-failure "$@" || status=$?
# Where the suite ran natively, one end-to-end program runs through the qemu
# route too (unless the arguments chose the tests), so that the route the
# kernels without ia32 emulation take keeps working here as well.
if [ "$wine_route" = native ] && [ $# -eq 0 ]; then
    echo "== the same build through the qemu route: e2e_main_window"
    MARROWICK_WINE_ROUTE=qemu ctest --output-on-failure -R '^e2e_main_window$' || status=$?
fi
# Stop the wineservers this run kept alive.
wine_stop "$build"/wineprefix-*
exit $status
