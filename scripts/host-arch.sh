#!/usr/bin/env bash
# Prints i686 when this host can run 32-bit Wine, x86_64 otherwise.
# (Lead: on this machine 32-bit Wine now runs through qemu; the branches keep testing x86_64 until the merge.)
[ -e /proc/sys/fs/binfmt_misc/marrowick-i386 ] && { echo x86_64; exit 0; }
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo i686
else
    echo x86_64
fi
