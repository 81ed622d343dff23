# How this host runs the project's Windows programs under Wine (sourced, not
# run): the one place that picks the loader, the wineserver and the prefix.
#
# Every route shares one prefix layout, a WoW64 prefix made by the 64-bit
# loader and served by the 64-bit wineserver. Only the command that starts a
# 32-bit program differs:
#   native  /usr/lib/wine/wine, where the kernel executes 32-bit processes
#   qemu    the same loader under qemu-user (scripts/wine32-qemu.sh), where
#           the kernel has no ia32 emulation and refuses it ("Exec format error")
#   64      /usr/lib/wine/wine64, for the x86_64 build
# MARROWICK_WINE_ROUTE=native|qemu forces the 32-bit route; by default it is
# native wherever the kernel allows it.

wine_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
wine_setup_loader=/usr/lib/wine/wine64
wine_server=/usr/lib/wine/wineserver64
wine_kernel_i386=   # yes or no once kernel_runs_i386 has asked

# The binfmt_misc entry that scripts/install-deps.sh makes where the kernel
# cannot run 32-bit processes: it hands every 32-bit x86 executable to
# qemu-i386, so that the 32-bit processes Wine starts by itself (a program the
# shell opens, the preloader) run too.
wine_binfmt=/proc/sys/fs/binfmt_misc/marrowick-i386

# kernel_runs_i386: true when the kernel itself executes 32-bit x86 programs.
# It runs a 93-byte static 32-bit program that exits with 42. A nonzero
# padding byte in its ELF identification, which the kernel ignores, keeps
# binfmt_misc entries for i386 (ours, qemu's) from taking it, as their masks
# ask for zeros there: the answer is the kernel's own.
kernel_runs_i386() {
    if [ -z "${wine_kernel_i386:-}" ]; then
        local probe status=0
        mkdir -p "$wine_root/build"
        probe=$(mktemp "$wine_root/build/.i386-probe.XXXXXX")
        printf '\x7fELF\x01\x01\x01\x00\x00\x4d\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\x6a\x2a\x5b\x31\xc0\x40\xcd\x80\x90' > "$probe"
        chmod +x "$probe"
        "$probe" >/dev/null 2>&1 || status=$?
        rm -f "$probe"
        wine_kernel_i386=no
        [ "$status" != 42 ] || wine_kernel_i386=yes
    fi
    [ "$wine_kernel_i386" = yes ]
}

# wine_missing TEXT: the one line that says why a route cannot run here.
wine_missing() {
    echo "Wine route '$wine_route' cannot run on this host: $*" >&2
    return 1
}

# wine_route ARCH: sets wine_route (native, qemu or 64) and wine_loader, the
# command that starts the ARCH build's programs; exports WINEDLLPATH on the
# qemu route. When the route cannot work here it prints one line naming the
# missing package or kernel feature and returns 1.
wine_route() {
    wine_route=64
    wine_loader=$wine_setup_loader
    [ -x "$wine_setup_loader" ] && [ -x "$wine_server" ] || { wine_missing "package wine64 is not installed"; return 1; }
    [ "$1" = i686 ] || return 0
    wine_route=${MARROWICK_WINE_ROUTE:-}
    if [ -z "$wine_route" ]; then
        wine_route=qemu
        kernel_runs_i386 && wine_route=native
    fi
    case "$wine_route" in
        native|qemu) [ -x /usr/lib/wine/wine ] || { wine_missing "package wine32:i386 is not installed"; return 1; } ;;
        *) echo "MARROWICK_WINE_ROUTE is '$wine_route'; it must be native or qemu" >&2; return 1 ;;
    esac
    if [ "$wine_route" = native ]; then
        kernel_runs_i386 || { wine_missing "the kernel does not execute 32-bit x86 programs (ia32 emulation: CONFIG_IA32_EMULATION, boot parameter ia32_emulation=1)"; return 1; }
        # Our entry would take the 32-bit loader and hand it to qemu.
        [ ! -e "$wine_binfmt" ] || { wine_missing "the binfmt_misc entry ${wine_binfmt##*/} sends 32-bit programs to qemu; remove it (scripts/install-deps.sh as root does)"; return 1; }
        wine_loader=/usr/lib/wine/wine
        return 0
    fi
    command -v qemu-i386 >/dev/null || { wine_missing "package qemu-user (10.x, bookworm-backports) is not installed"; return 1; }
    kernel_runs_i386 || [ -e "$wine_binfmt" ] || { wine_missing "the binfmt_misc entry ${wine_binfmt##*/} is missing (scripts/install-deps.sh as root makes it)"; return 1; }
    wine_loader=$wine_root/scripts/wine32-qemu.sh
    # Under qemu the loader cannot find its DLLs from its own path.
    export WINEDLLPATH=/usr/lib/i386-linux-gnu/wine
}

# wine_prefix BUILD: sets wine_zone, wine_locale, wine_base (the build's base
# prefix) and wine_prefix (the copy of it this run uses).
#
# Wine fixes the zone when its wineserver starts, so every zone gets a copy
# of its own (copying the base is much faster than a new wineboot). Another
# locale gets one too: 32-bit processes under WoW64 were seen to keep the
# locale values in the registry (sTimeFormat and the like) of whichever locale
# wrote them first. A run on an X display (MARROWICK_DISPLAY) gets a copy with
# the normal graphics driver instead of the headless null one.
wine_prefix() {
    local tag
    wine_zone=${MARROWICK_TZ:-Asia/Kolkata}
    wine_locale=${MARROWICK_LOCALE:-en_US.UTF-8}
    wine_base="$1/wineprefix"
    tag=$(printf '%s' "$wine_zone" | tr -c 'A-Za-z0-9' '_')
    [ "$wine_locale" = en_US.UTF-8 ] || tag="${tag}_$(printf '%s' "${wine_locale%%.*}" | tr -c 'A-Za-z0-9' '_')"
    [ -z "${MARROWICK_DISPLAY:-}" ] || tag="${tag}_x11"
    wine_prefix="$wine_base-$tag"
}

# wine_stop PREFIX...: ends the wineservers of these prefixes (and the Wine
# processes they serve).
wine_stop() {
    local p
    for p in "$@"; do
        [ ! -d "$p" ] || WINEPREFIX="$p" "$wine_server" -k 2>/dev/null || true
    done
}
