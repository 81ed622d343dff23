# Shared pieces of the end-to-end scripts: a private Xvfb, the program run
# under Wine with the normal X11 graphics driver, bounded waits for windows
# by title, and a cleanup that leaves no process behind.
#
# A script sources this file and calls
#   e2e_init BUILD_DIR MARROWICK_EXE ARCH
# which sets build, exe, arch, root and work (a fresh temporary folder) and
# installs the EXIT trap. The script keeps the program's process id in
# app_pid so that the cleanup can end it.

source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/x11.bash"

e2e_init() {
    build=$1
    exe=$2
    arch=$3
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
    work=$(mktemp -d /tmp/mw_e2e.XXXXXX)
    xvfb_pid=
    app_pid=
    trap e2e_cleanup EXIT
}

fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "-- $*"; }

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
wine_run() { "$root/scripts/wine-run.sh" --arch="$arch" --build="$build" "$@"; }

e2e_stop_wine() { stop_x11_wine "$build"; }

e2e_cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && e2e_stop_wine
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}

# Writes the demo installation folder (both caches) below DIR, with the
# headless driver: it needs no display.
make_demo_cache() {
    MARROWICK_DISPLAY= wine_run "$build/tools/make_demo_cache.exe" "$(winpath "$1")" >/dev/null \
        || fail "demo cache generator failed"
}

# Starts a private X server on the first free display from :121 and exports
# DISPLAY and MARROWICK_DISPLAY for it.
start_xvfb() {
    start_private_xvfb 121 160 || fail "could not start Xvfb"
    export DISPLAY="$xvfb_display" MARROWICK_DISPLAY="$xvfb_display"
}

# find_window TITLE: prints the id of a mapped window whose title is exactly
# TITLE, or nothing.
find_window() {
    local id
    for id in $(xdotool search --onlyvisible --name "^$(printf '%s' "$1" | sed 's/[][\\.^$*+?(){}|]/\\&/g')\$" 2>/dev/null); do
        if [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ]; then
            echo "$id"
            return 0
        fi
    done
    return 0
}

# probe QUERY: the answer of tests/helpers/ui_probe.exe about the running
# program, one line.
probe() { wine_run "$build/tests/ui_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }

# wait_probe SECONDS QUERY PATTERN: polls until the probe's answer matches
# the extended regular expression; prints the last answer.
wait_probe() {
    local answer=
    for _ in $(seq $(($1 * 10))); do
        answer=$(probe "$2")
        grep -Eq "$3" <<<"$answer" && { echo "$answer"; return 0; }
        sleep 0.1
    done
    fail "probe $2 answered '$answer', expected /$3/ within $1 s"
}

# wait_window TITLE SECONDS: prints the window's id once it is shown; fails
# the test when it does not appear in time or the program ends meanwhile.
wait_window() {
    local title=$1 tenths=$(($2 * 10)) id
    for _ in $(seq "$tenths"); do
        id=$(find_window "$title")
        [ -n "$id" ] && { echo "$id"; return 0; }
        if [ -n "$app_pid" ] && ! kill -0 "$app_pid" 2>/dev/null; then
            fail "the program ended while waiting for a window titled '$title'"
        fi
        sleep 0.1
    done
    fail "no window titled '$title' within $2 s"
}

# clipboard: the X clipboard's text (empty when it holds none).
clipboard() { timeout 5 xclip -o -selection clipboard 2>/dev/null || true; }

# copy_list_rows OUT: Ctrl+A, Ctrl+C in the focused window; writes the
# clipboard text to OUT once it has changed from what it held before and is
# stable.
copy_list_rows() {
    local before now last=
    before=$(clipboard | md5sum)
    xdotool key ctrl+a ctrl+c
    for _ in $(seq 100); do
        now=$(clipboard | md5sum)
        if [ "$now" != "$before" ] && [ "$now" = "$last" ]; then
            clipboard > "$1"
            return 0
        fi
        last=$now
        sleep 0.1
    done
    fail "Ctrl+C put nothing new on the clipboard within 10 s"
}

# wait_window_gone TITLE SECONDS
wait_window_gone() {
    local tenths=$(($2 * 10))
    for _ in $(seq "$tenths"); do
        [ -z "$(find_window "$1")" ] && return 0
        sleep 0.1
    done
    fail "the window titled '$1' is still open after $2 s"
}

# wait_file PATH SECONDS: waits until PATH exists and its size has stopped
# changing.
wait_file() {
    local size=-1 now
    for _ in $(seq $(($2 * 10))); do
        if [ -f "$1" ]; then
            now=$(stat -c %s "$1")
            [ "$now" = "$size" ] && return 0
            size=$now
        fi
        sleep 0.1
    done
    fail "file $1 was not written within $2 s"
}

# wait_exit SECONDS: waits for the program to end; sets app_status to its
# exit code.
wait_exit() {
    app_status=
    for _ in $(seq $(($1 * 10))); do
        if ! kill -0 "$app_pid" 2>/dev/null; then
            app_status=0
            wait "$app_pid" || app_status=$?
            app_pid=
            return 0
        fi
        sleep 0.1
    done
    fail "the program did not end within $1 s"
}
