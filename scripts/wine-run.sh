#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix.
#   wine-run.sh --arch=i686|x86_64 --build=DIR program.exe [args...]
# ctest uses it as the cross-compiling emulator.
#
# Environment it honours:
#   MARROWICK_LOCALE     user locale for Wine (LC_ALL), default en_US.UTF-8
#   MARROWICK_TZ         time zone, default Asia/Kolkata (+5:30, no daylight
#                        saving, so local-time conversions are really exercised)
#   MARROWICK_DISPLAY    an X display: use the normal graphics driver there
#                        instead of the headless null driver
#   MARROWICK_WINE_ROUTE native or qemu: how 32-bit programs start (see
#                        wine-route.bash)
#   MARROWICK_WINEDEBUG  Wine's debug channels (WINEDEBUG), default -all
#
# Each zone, locale and display gets a copy of the build's base prefix (see
# wine_prefix). One wineserver per prefix is kept alive for 60 s after its
# last client, so consecutive test programs start in milliseconds.
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

source "$(dirname "$0")/wine-route.bash"
wine_route "$arch" || exit 1
wine_prefix "$build"
loader=$wine_loader
server=$wine_server
base=$wine_base
prefix=$wine_prefix
display=${MARROWICK_DISPLAY:-}

export WINEPREFIX="$prefix" WINEDEBUG="${MARROWICK_WINEDEBUG:--all}" WINELOADER="$loader" WINESERVER="$server"
# LC_ALL is handed only to Wine (through env): this shell would warn about a
# locale the host lacks, but Wine takes its user locale from the name alone.
export TZ="$wine_zone" WINEDLLOVERRIDES="mscoree,mshtml="

# A prefix is ready only once its set-up has finished: the set-up's last step
# writes this stamp, different for every base, and a copy carries its base's.
# An interrupted set-up (Ctrl+C during wineboot) is made again by the next
# run, and a copy of an earlier base is copied again.
stamp=.marrowick-ready
ready() { [ -f "$1/$stamp" ] && cmp -s "$1/$stamp" "$base/$stamp"; }

# The 64-bit wineboot installs the 32-bit half of the WoW64 prefix by starting
# 32-bit programs, which a kernel without ia32 emulation refuses. There the
# 32-bit builtin DLLs are copied into syswow64 (real copies, not links, as
# Wine's own set-up does) and the 32-bit half of wine.inf is installed by the
# 32-bit rundll32 under qemu.
make_wow64_half() {
    local sys="$base/drive_c/windows/syswow64" f
    mkdir -p "$sys"
    for f in /usr/lib/i386-linux-gnu/wine/i386-windows/*; do
        case "$f" in *16|*.vxd) continue ;; esac
        cp -L "$f" "$sys/"
    done
    (cd "$sys" && WINEPREFIX="$base" "$loader" rundll32.exe setupapi,InstallHinfSection \
        Wow64Install 128 '\\?\Z:\usr\share\wine\wine.inf' >/dev/null 2>&1) || true
}

# The base prefix, the same on every route: a WoW64 prefix made by the 64-bit
# loader, with headless graphics, no crash dialog and no desktop integration
# (menus, file associations written to the host).
make_base() {
    wine_stop "$base"   # the server of an interrupted set-up
    rm -rf "$base"
    WINEPREFIX="$base" "$wine_setup_loader" wineboot -i >/dev/null 2>&1 || true
    if [ "$wine_route" = qemu ] && ! kernel_runs_i386; then make_wow64_half; fi
    cat > "$base/setup.reg" <<'REG'
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
    WINEPREFIX="$base" "$wine_setup_loader" regedit /S "$base/setup.reg" >/dev/null 2>&1
    WINEPREFIX="$base" "$server" -w
    printf 'made by the %s route at %s, process %s\n' "$wine_route" "$(date +%s.%N)" $$ > "$base/$stamp"
}

# The run's copy, made aside and renamed when complete; the X11 copy uses
# the normal graphics driver.
make_copy() {
    local new="$prefix.new"
    wine_stop "$prefix" "$new"
    rm -rf "$prefix" "$new"
    cp -a "$base" "$new"
    if [ -n "$display" ]; then
        printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\n"Graphics"="x11"\n' > "$new/x11.reg"
        WINEPREFIX="$new" "$wine_setup_loader" regedit /S "$new/x11.reg" >/dev/null 2>&1
        WINEPREFIX="$new" "$server" -w
    fi
    mv "$new" "$prefix"
}

mkdir -p "$build"
(
    flock 9
    if [ ! -f "$base/$stamp" ]; then make_base 9>&-; fi
    if ! ready "$prefix"; then make_copy 9>&-; fi
    # Keep one wineserver for this prefix alive between test programs. It
    # must not inherit the lock, or it would hold it for its whole life.
    if "$server" -p60 9>&- </dev/null >/dev/null 2>&1; then
        # A new server: let Wine start its background services now, with
        # their output detached. Started by the test program instead, they
        # would inherit its output pipe and keep ctest waiting until the
        # server ends.
        env LC_ALL="$wine_locale" "$wine_setup_loader" cmd.exe /c exit 9>&- </dev/null >/dev/null 2>&1 || true
    fi
) 9>"$build/.wineprefix.lock"

[ -n "$display" ] && export DISPLAY="$display"
exec env LC_ALL="$wine_locale" "$loader" "$@"
