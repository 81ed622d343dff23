# How this host runs Wine programs of each architecture (sourced, not run).
#
# 64-bit programs run under /usr/lib/wine/wine64. 32-bit programs run under
# /usr/lib/wine/wine where the kernel executes 32-bit processes ("native").
# Kernels with ia32 emulation switched off refuse that loader with "Exec
# format error"; there the 32-bit loader runs under qemu-user's qemu-i386
# ("qemu"), beside the 64-bit wineserver, in a WoW64 prefix (see
# make_wine_prefix in wine-run.sh).

wine_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The binfmt_misc entry that scripts/install-deps.sh makes on such kernels,
# so that Wine can start further 32-bit processes itself.
wine_binfmt=/proc/sys/fs/binfmt_misc/marrowick-i386

# native_wine32: true when the 32-bit loader runs directly on this kernel
# (once our entry exists, it would run through qemu instead).
native_wine32() {
    [ ! -e "$wine_binfmt" ] && [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# wine_route ARCH: sets wine_route (native, qemu or 64), wine_loader (runs
# the programs), wine_setup_loader (builds and configures the prefix) and
# wine_server; exports WINEDLLPATH for the qemu route.
wine_route() {
    wine_server=/usr/lib/wine/wineserver64
    [ -x "$wine_server" ] || wine_server=/usr/lib/wine/wineserver
    wine_loader=/usr/lib/wine/wine64
    wine_setup_loader=$wine_loader
    wine_route=64
    [ "$1" = i686 ] || return 0
    if native_wine32; then
        wine_route=native
        wine_loader=/usr/lib/wine/wine
        # The prefix is a WoW64 one made by the 64-bit loader, which only
        # the 64-bit wineserver accepts, on this route as on the qemu one.
        wine_setup_loader=$wine_loader
    else
        # The loader would re-execute itself directly, which the kernel
        # refuses; WINELOADERNOEXEC keeps it inside qemu.
        wine_route=qemu
        wine_loader=$wine_root/scripts/wine32-qemu.sh
        export WINEDLLPATH=/usr/lib/i386-linux-gnu/wine
    fi
}
