#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix.
#   wine-run.sh --arch=i686|x86_64 --build=DIR program.exe [args...]
# ctest uses it as the cross-compiling emulator.
#
# Environment it honours:
#   MARROWICK_LOCALE  user locale for Wine (LC_ALL), default en_US.UTF-8
#   MARROWICK_TZ      time zone, default Asia/Kolkata (+5:30, no daylight
#                     saving, so local-time conversions are really exercised)
#   MARROWICK_DISPLAY an X display: use the normal graphics driver there
#                     instead of the headless null driver
#   MARROWICK_WINEDEBUG Wine's debug channels (WINEDEBUG), default -all
#
# Wine fixes the zone when its wineserver starts, so every zone (and locale,
# below) gets a prefix of its own (copied from the base prefix, which is much faster than a new
# wineboot). One wineserver per prefix is kept alive for 60 s after its last
# client, so consecutive test programs start in milliseconds.
set -euo pipefail

arch=x86_64
build=
while [ $# -gt 0 ]; do
    case "$1" in
        --arch=*) arch=${1#--arch=}; shift ;;
        --build=*) build=${1#--build=}; shift ;;
        *) break ;;
    esac
done
[ -n "$build" ] || build=${MARROWICK_BUILD_DIR:-$PWD}

locale=${MARROWICK_LOCALE:-en_US.UTF-8}
zone=${MARROWICK_TZ:-Asia/Kolkata}
display=${MARROWICK_DISPLAY:-}

source "$(dirname "$0")/wine-route.bash"
wine_route "$arch"
loader=$wine_loader
server=$wine_server

base="$build/wineprefix"
tag=$(printf '%s' "$zone" | tr -c 'A-Za-z0-9' '_')
# Another locale gets a prefix of its own too: 32-bit processes under WoW64
# were seen to keep the user's locale values in the registry (sTimeFormat and
# the like) of whichever locale wrote them first, so a prefix shared with
# en-US programs kept answering German programs with en-US formats.
[ "$locale" = en_US.UTF-8 ] || tag="${tag}_$(printf '%s' "${locale%%.*}" | tr -c 'A-Za-z0-9' '_')"
[ -n "$display" ] && tag="${tag}_x11"
prefix="$base-$tag"

export WINEPREFIX="$prefix" WINEDEBUG="${MARROWICK_WINEDEBUG:--all}" WINELOADER="$loader" WINESERVER="$server"
# LC_ALL is handed only to Wine (through env): this shell would warn about a
# locale the host lacks, but Wine takes its user locale from the name alone.
export TZ="$zone" WINEDLLOVERRIDES="mscoree,mshtml="

# A 32-bit program on the qemu route needs a WoW64 prefix: made by the 64-bit
# loader, with the 32-bit builtin DLLs copied into syswow64 (real copies,
# not links, as Wine's own set-up does) and the 32-bit half of wine.inf
# installed by the 32-bit rundll32 under qemu.
make_wow64_half() {
    local sys="$base/drive_c/windows/syswow64" f
    mkdir -p "$sys"
    for f in /usr/lib/i386-linux-gnu/wine/i386-windows/*; do
        case "$f" in *16|*.vxd) continue ;; esac
        cp -L "$f" "$sys/"
    done
    (cd "$sys" && WINEPREFIX="$base" TZ="$zone" "$loader" rundll32.exe setupapi,InstallHinfSection \
        Wow64Install 128 '\\?\Z:\usr\share\wine\wine.inf' >/dev/null 2>&1) || true
}

make_base() {
    # MARROWICK_WINE_TEMPLATE may name a finished base prefix to copy.
    if [ -n "${MARROWICK_WINE_TEMPLATE:-}" ] && [ -f "$MARROWICK_WINE_TEMPLATE/system.reg" ]; then
        cp -a "$MARROWICK_WINE_TEMPLATE" "$base"
        return
    fi
    # A fresh prefix: headless graphics, no crash dialog, no desktop
    # integration (menus, file associations written to the host).
    WINEPREFIX="$base" TZ="$zone" "$wine_setup_loader" wineboot -i >/dev/null 2>&1 || true
    if [ "$wine_route" = qemu ]; then make_wow64_half; fi
    local reg="$base/setup.reg"
    cat > "$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Graphics"="null"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="N"

[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"winemenubuilder.exe"=""
REG
    WINEPREFIX="$base" TZ="$zone" "$wine_setup_loader" regedit /S "$reg" >/dev/null 2>&1
    WINEPREFIX="$base" WINESERVER="$server" "$server" -w
}

mkdir -p "$build"
(
    flock 9
    if [ ! -f "$base/system.reg" ]; then make_base 9>&-; fi
    if [ ! -f "$prefix/system.reg" ]; then
        cp -a "$base" "$prefix"
        if [ -n "$display" ]; then
            # The X11 copy uses the normal graphics driver.
            printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\n"Graphics"="x11"\n' > "$prefix/x11.reg"
            "$wine_setup_loader" regedit /S "$prefix/x11.reg" >/dev/null 2>&1 9>&-
            "$server" -w
        fi
    fi
    # Keep one wineserver for this prefix alive between test programs. It
    # must not inherit the lock, or it would hold it for its whole life.
    if "$server" -p60 9>&- </dev/null >/dev/null 2>&1; then
        # A new server: let Wine start its background services now, with
        # their output detached. Started by the test program instead, they
        # would inherit its output pipe and keep ctest waiting until the
        # server ends.
        env LC_ALL="$locale" "$wine_setup_loader" cmd.exe /c exit 9>&- </dev/null >/dev/null 2>&1 || true
    fi
) 9>"$build/.wineprefix.lock"

[ -n "$display" ] && export DISPLAY="$display"
exec env LC_ALL="$locale" "$loader" "$@"
