#!/bin/sh
# The 32-bit Wine loader under qemu-user, for kernels that cannot execute
# 32-bit processes. Wine runs it as WINELOADER for every 32-bit program.
# WINELOADERNOEXEC keeps the loader from executing itself again (through its
# preloader) outside qemu.
WINELOADERNOEXEC=1 exec qemu-i386 /usr/lib/wine/wine "$@"
