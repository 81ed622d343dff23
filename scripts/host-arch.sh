#!/usr/bin/env bash
# Prints i686 when this host can run 32-bit Wine, x86_64 otherwise.
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo i686
else
    echo x86_64
fi
