#!/usr/bin/env bash
# Installs what building and testing Marrowick needs on a Debian machine.
# Idempotent: does nothing when everything is already there. Needs root.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

pkgs=(cmake make g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
      googletest wine wine64 wine32:i386 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix xvfb xdotool xclip x11-apps imagemagick clang python3 openbox)
for p in "${pkgs[@]}"; do have "$p" || need+=("$p"); done

[ ${#need[@]} -eq 0 ] || install_packages=1
source "$(dirname "$0")/wine-route.bash"

if [ "$(id -u)" -ne 0 ] && [ ${#need[@]} -gt 0 ]; then
    echo "Missing packages: ${need[*]}; run this script as root to install them." >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if [ ${#need[@]} -gt 0 ]; then
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# Kernels with ia32 emulation switched off cannot execute the 32-bit Wine
# loader ("Exec format error"); there it runs under qemu-user. Bookworm's own
# qemu 7.2 spends about a minute in Wine's address-space reservation for every
# process, so qemu-user comes from bookworm-backports (10.x).
native_wine32 && exit 0
qemu_version=$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null || true)
case "$qemu_version" in
    1:[1-9][0-9].*) ;;
    *)
        if [ "$(id -u)" -ne 0 ]; then
            echo "Missing: qemu-user 10 from bookworm-backports; run this script as root to install it." >&2
            exit 1
        fi
        backports=/etc/apt/sources.list.d/bookworm-backports.sources
        if [ ! -f "$backports" ]; then
            printf '%s\n' 'Types: deb' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm-backports' \
                'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' > "$backports"
        fi
        apt-get update -qq
        # qemu-user-static and qemu-user-binfmt would register handlers of
        # their own for every foreign architecture.
        apt-get remove -y -qq qemu-user-static qemu-user-binfmt >/dev/null 2>&1 || true
        apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user >/dev/null ;;
esac

# Wine starts every further 32-bit process (a program the shell opens, a
# helper) by executing its 32-bit loader itself, which the kernel refuses;
# a binfmt_misc entry for 32-bit x86 executables hands those to qemu-i386.
# It lives in the kernel until the next boot, so it is made again here.
if [ ! -e "$wine_binfmt" ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing: the binfmt_misc entry for 32-bit programs; run this script as root to make it." >&2
        exit 1
    fi
    [ -e /proc/sys/fs/binfmt_misc/register ] || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    printf '%s' ":${wine_binfmt##*/}:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:/usr/bin/qemu-i386:" \
        > /proc/sys/fs/binfmt_misc/register
fi
