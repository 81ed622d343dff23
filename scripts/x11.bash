# A private Xvfb and the X11 copy of the Wine prefix: shared by
# scripts/run.sh and the end-to-end tests (sourced, not run).

# start_private_xvfb FIRST LAST: starts Xvfb on the first free display
# number in FIRST..LAST and waits until it answers. Sets xvfb_pid and
# xvfb_display; returns 1 when no display could be started.
start_private_xvfb() {
    local n
    xvfb_pid=
    xvfb_display=
    for n in $(seq "$1" "$2"); do
        [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        for _ in $(seq 50); do
            if DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1; then
                xvfb_display=":$n"
                return 0
            fi
            kill -0 "$xvfb_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=
    done
    return 1
}

# stop_x11_wine BUILD: ends the wineserver of the build's X11 prefix (and
# Wine's desktop process with it) before its X server goes away.
stop_x11_wine() {
    source "$(dirname "${BASH_SOURCE[0]}")/wine-route.bash"
    MARROWICK_DISPLAY=${MARROWICK_DISPLAY:-x11} wine_prefix "$1"
    wine_stop "$wine_prefix"
}
