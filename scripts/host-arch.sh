#!/usr/bin/env bash
# Prints the architecture to build the program for on this host.
#   host-arch.sh           i686 (the shipped 32-bit program) when this host
#                          can run 32-bit Wine, natively or through qemu-user;
#                          x86_64 otherwise
#   host-arch.sh --native  i686 only when 32-bit Wine runs natively, so that
#                          timings compare like with like; x86_64 otherwise
source "$(dirname "$0")/wine-route.bash"
if native_wine32; then
    echo i686
elif [ "${1:-}" != --native ] && command -v qemu-i386 >/dev/null 2>&1; then
    echo i686
else
    echo x86_64
fi
