#!/usr/bin/env bash
# Prints the architecture to build the program for on this host.
#   host-arch.sh           i686 (the shipped 32-bit program) when this host
#                          runs 32-bit Wine, natively or through qemu-user;
#                          x86_64 otherwise
#   host-arch.sh --native  i686 only when 32-bit Wine runs natively, so that
#                          timings compare like with like; x86_64 otherwise
# A route forced with MARROWICK_WINE_ROUTE that cannot run here is an error,
# with its one line saying what is missing.
source "$(dirname "$0")/wine-route.bash"
if wine_route i686 2>/dev/null; then
    if [ "${1:-}" != --native ] || [ "$wine_route" = native ]; then echo i686; else echo x86_64; fi
elif [ -n "${MARROWICK_WINE_ROUTE:-}" ]; then
    wine_route i686
    exit 1
else
    echo x86_64
fi
