#!/usr/bin/env bash
# Installs what building and testing Marrowick needs on a Debian machine.
# Idempotent: does nothing when everything is already there. Needs root to
# install, and never removes a package: when one stands in the way it says
# so and stops.
#   install-deps.sh                what this host's own route needs
#   install-deps.sh --both-routes  qemu-user too where the kernel runs 32-bit
#                                  programs itself (scripts/test.sh runs one
#                                  end-to-end program through qemu there)
set -euo pipefail
source "$(dirname "$0")/wine-route.bash"

# as_root WHAT: stops with a message unless this runs as root.
as_root() {
    [ "$(id -u)" -eq 0 ] && return 0
    echo "Missing: $1; run scripts/install-deps.sh as root to install it." >&2
    exit 1
}

# apt_install ARGS...: installs, or stops, naming the packages that
# installing would remove.
apt_install() {
    local removed
    apt-get install -y -qq --no-remove --no-install-recommends "$@" >/dev/null && return 0
    removed=$(apt-get install -s --no-install-recommends "$@" 2>/dev/null | awk '/^Remv /{printf " %s", $2}')
    if [ -n "$removed" ]; then
        echo "install-deps.sh: installing $* would remove$removed; nothing was removed. Remove or upgrade them yourself, then run this again." >&2
    else
        echo "install-deps.sh: apt-get could not install $* (its message is above)." >&2
    fi
    exit 1
}

have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

need=()
pkgs=(cmake make g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
      googletest wine wine64 wine32:i386 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix xvfb xdotool xclip x11-apps imagemagick clang python3)
for p in "${pkgs[@]}"; do have "$p" || need+=("$p"); done
export DEBIAN_FRONTEND=noninteractive
if [ ${#need[@]} -gt 0 ]; then
    as_root "packages ${need[*]}"
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    apt-get update -qq
    apt_install "${need[@]}"
fi

# Kernels with ia32 emulation switched off cannot execute the 32-bit Wine
# loader ("Exec format error"); there it runs under qemu-user. Bookworm's own
# qemu 7.2 spends about a minute in Wine's address-space reservation for every
# process, so qemu-user comes from bookworm-backports (10.x).
want_qemu=
kernel_runs_i386 || want_qemu=1
[ "${1:-}" != --both-routes ] || want_qemu=1
[ "${MARROWICK_WINE_ROUTE:-}" != qemu ] || want_qemu=1
qemu_version=$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null || true)
case "$want_qemu:$qemu_version" in
    :*|1:1:[1-9][0-9].*) ;;
    *)
        as_root "qemu-user 10 from bookworm-backports"
        backports=/etc/apt/sources.list.d/bookworm-backports.sources
        if [ ! -f "$backports" ]; then
            printf '%s\n' 'Types: deb' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm-backports' \
                'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' > "$backports"
        fi
        apt-get update -qq
        # qemu-user 10 breaks older qemu-user-static and qemu-user-binfmt.
        apt_install -t bookworm-backports qemu-user ;;
esac

# Where the kernel cannot run 32-bit processes, Wine still starts some by
# executing a 32-bit file itself (a program the shell opens, its preloader);
# a binfmt_misc entry for 32-bit x86 executables hands those to qemu-i386.
# It lives in the kernel until the next boot, so it is made again here. On a
# kernel that runs them itself the entry would send every 32-bit program
# through qemu, the native route's included, so there it is taken away.
if kernel_runs_i386; then
    [ -e "$wine_binfmt" ] || exit 0
    as_root "the removal of the binfmt_misc entry ${wine_binfmt##*/}"
    echo "install-deps.sh: this kernel runs 32-bit programs itself; removing the binfmt_misc entry ${wine_binfmt##*/}" >&2
    echo -1 > "$wine_binfmt"
elif [ ! -e "$wine_binfmt" ]; then
    as_root "the binfmt_misc entry for 32-bit programs"
    [ -e /proc/sys/fs/binfmt_misc/register ] || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    printf '%s' ":${wine_binfmt##*/}:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:/usr/bin/qemu-i386:" \
        > /proc/sys/fs/binfmt_misc/register
fi
