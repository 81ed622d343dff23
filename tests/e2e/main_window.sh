#!/usr/bin/env bash
# End to end: the real program on a private Xvfb with the normal graphics
# driver opens its window on the cache folder named in its settings file,
# closes on Alt+F4 with exit code 0 and writes its settings back.
#   main_window.sh BUILD_DIR MARROWICK_EXE ARCH
set -euo pipefail
build=$1
exe=$2
arch=$3
root=$(cd "$(dirname "$0")/../.." && pwd)

work=$(mktemp -d /tmp/mw_e2e.XXXXXX)
xvfb_pid=
app_pid=
# Ends the X11 prefix's wineserver (and Wine's desktop process with it)
# before its X server goes away.
stop_wine() {
    local tag server=/usr/lib/wine/wineserver64
    [ "$arch" = i686 ] && server=/usr/lib/wine/wineserver32
    [ -x "$server" ] || server=/usr/lib/wine/wineserver
    tag=$(printf '%s' "${MARROWICK_TZ:-Asia/Kolkata}" | tr -c 'A-Za-z0-9' '_')
    WINEPREFIX="$build/wineprefix-${tag}_x11" "$server" -k 2>/dev/null || true
}
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && stop_wine
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
wine_run() { "$root/scripts/wine-run.sh" --arch="$arch" --build="$build" "$@"; }

# A generated cache folder, and the program copied beside its own settings
# file (the executable's path with .cfg).
MARROWICK_DISPLAY= wine_run "$build/tools/make_demo_cache.exe" "$(winpath "$work/install")" >/dev/null \
    || fail "demo cache generator failed"
folder=$(winpath "$work/install/appcache/httpcache")
cp "$exe" "$work/marrowick.exe"
printf '[Options]\r\nAutoDetectCachePath=0\r\nHttpCachePath=%s\r\nSortByColumn=-1\r\n' "$folder" > "$work/marrowick.cfg"

# A private X server.
display=
for n in $(seq 121 160); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
        if DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1; then display=":$n"; break; fi
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$display" ] && break
    kill "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
done
[ -n "$display" ] || fail "could not start Xvfb"
export DISPLAY="$display" MARROWICK_DISPLAY="$display"

wine_run "$work/marrowick.exe" &
app_pid=$!

# The title names the folder once the scan has started.
expected="Marrowick:  $folder"
window=
for _ in $(seq 240); do
    for id in $(xdotool search --name '^Marrowick' 2>/dev/null); do
        [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$expected" ] && window=$id && break
    done
    [ -n "$window" ] && break
    kill -0 "$app_pid" 2>/dev/null || fail "the program ended before its window appeared"
    sleep 0.5
done
[ -n "$window" ] || fail "no window titled '$expected'"

sleep 2
shot="$build/e2e_main_window.png"
import -window root "$shot" || fail "screenshot failed"
[ -s "$shot" ] || fail "empty screenshot"

# Alt+F4 reaches the window through the keyboard focus; Wine turns it into
# SC_CLOSE and so WM_CLOSE, which writes the settings file.
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key alt+F4
status=
for _ in $(seq 60); do
    if ! kill -0 "$app_pid" 2>/dev/null; then
        status=0
        wait "$app_pid" || status=$?
        app_pid=
        break
    fi
    sleep 0.25
done
[ -n "$status" ] || fail "the program did not close on Alt+F4"
[ "$status" -eq 0 ] || fail "exit code $status"

cfg=$(tr -d '\r' < "$work/marrowick.cfg")
grep -qx 'AutoDetectCachePath=0' <<<"$cfg" || fail "AutoDetectCachePath not written back"
grep -qxF "HttpCachePath=$folder" <<<"$cfg" || fail "HttpCachePath not written back"
grep -q '^\[WinPositions\]' <<<"$cfg" || fail "no WinPositions section"
grep -q '^MainWindow=' <<<"$cfg" || fail "no MainWindow placement"
grep -q '^ColumnWidths=' <<<"$cfg" || fail "no ColumnWidths"
echo "PASS: window '$expected', screenshot $shot"
