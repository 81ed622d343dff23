#!/usr/bin/env bash
# Builds Marrowick and starts it under Wine on your X display, with a demo
# client installation whose path is registered the way the client's installer
# does it, so the program finds the demo cache by itself.
#
#   scripts/run.sh                          run on $DISPLAY
#   scripts/run.sh --xvfb-screenshot FILE   run on a private Xvfb, save a
#                                           screenshot of the window, close it
#
# It runs the shipped 32-bit program: natively where the kernel executes
# 32-bit processes, through qemu-user where it cannot, or on the route that
# MARROWICK_WINE_ROUTE forces (see wine-route.bash).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

screenshot=
case "${1:-}" in
    --xvfb-screenshot)
        [ $# -eq 2 ] || { echo "usage: scripts/run.sh [--xvfb-screenshot FILE]" >&2; exit 2; }
        screenshot=$(realpath -m "$2") ;;
    "") ;;
    *) echo "usage: scripts/run.sh [--xvfb-screenshot FILE]" >&2; exit 2 ;;
esac

if [ -z "$screenshot" ] && [ -z "${DISPLAY:-}" ]; then
    echo "run.sh: no X display (DISPLAY is not set). Start it from a desktop session," >&2
    echo "or use: scripts/run.sh --xvfb-screenshot marrowick.png" >&2
    exit 1
fi

bash scripts/install-deps.sh
arch=$(bash scripts/host-arch.sh)
build=${MARROWICK_RUN_BUILD:-$root/build/run-$arch}
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw.cmake -DMARROWICK_ARCH="$arch" \
    -DMARROWICK_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target marrowick make_demo_cache

source "$root/scripts/x11.bash"

# Wine sees the host's root as drive Z:.
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

# The demo installation, generated once (it is deterministic anyway).
demo="$build/demo/Steam"
if [ ! -d "$demo/appcache/httpcache" ]; then
    mkdir -p "$build/demo"
    MARROWICK_DISPLAY= scripts/wine-run.sh --arch="$arch" --build="$build" \
        "$build/tools/make_demo_cache.exe" "$(winpath "$demo")"
fi

xvfb_pid=
display=${DISPLAY:-}
if [ -n "$screenshot" ]; then
    start_private_xvfb 91 120 || { echo "run.sh: could not start Xvfb" >&2; exit 1; }
    display=$xvfb_display
fi
cleanup() {
    [ -n "$xvfb_pid" ] || return 0
    stop_x11_wine "$build"
    kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

# MARROWICK_DISPLAY gives the run its own copy of the prefix with the normal
# (X11) graphics driver; the registry value goes into that copy.
export MARROWICK_DISPLAY="$display"
wine_run() { scripts/wine-run.sh --arch="$arch" --build="$build" "$@"; }
wine_run reg add 'HKLM\Software\Valve\Steam' /v InstallPath /t REG_SZ /d "$(winpath "$demo")" /f >/dev/null

exe="$build/marrowick.exe"
if [ -z "$screenshot" ]; then
    echo "Starting Marrowick on $display (cache: $demo/appcache/httpcache)"
    exec "$root/scripts/wine-run.sh" --arch="$arch" --build="$build" "$exe"
fi

export DISPLAY="$display"
wine_run "$exe" &
app_pid=$!
window=
for _ in $(seq 120); do
    window=$(xdotool search --name '^Marrowick:  ' 2>/dev/null | head -1) && [ -n "$window" ] && break
    sleep 0.5
done
if [ -z "$window" ]; then
    echo "run.sh: the Marrowick window did not appear" >&2
    kill "$app_pid" 2>/dev/null || true
    exit 1
fi
# The scan ends and the list paints at the route's pace (under qemu on a busy
# machine, many seconds): the screenshot is taken once the window's pixels
# have stayed the same for 1.5 s.
last=
same=0
for _ in $(seq 240); do
    now=$(import -window "$window" rgb:- 2>/dev/null | md5sum)
    if [ "$now" = "$last" ]; then same=$((same + 1)); else same=0; fi
    [ "$same" -lt 3 ] || break
    last=$now
    sleep 0.5
done
import -window "$window" "$screenshot"
echo "Screenshot written to $screenshot"
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key alt+F4
for _ in $(seq 120); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.25; done
if kill -0 "$app_pid" 2>/dev/null; then
    kill "$app_pid" 2>/dev/null || true
    echo "run.sh: Marrowick did not close on Alt+F4" >&2
    exit 1
fi
wait "$app_pid"
