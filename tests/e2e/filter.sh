#!/usr/bin/env bash
# End to end: the quick filter of the real program on a private Xvfb with the
# normal graphics driver. Ctrl+E puts the keyboard in the filter box, typed
# words narrow the list (counted through Ctrl+A, Ctrl+C), Esc brings every
# row back, and the settings file learns nothing of the filter.
#   filter.sh BUILD_DIR MARROWICK_EXE ARCH
set -euo pipefail
source "$(dirname "$0")/lib/common.bash"
e2e_init "$@"

make_demo_cache "$work/install"
dir="$work/install/appcache/httpcache"
folder=$(winpath "$dir")
cp "$exe" "$work/marrowick.exe"
printf '[Options]\r\nAutoDetectCachePath=0\r\nHttpCachePath=%s\r\nSortByColumn=-1\r\n' "$folder" > "$work/marrowick.cfg"

start_xvfb
wine_run "$work/marrowick.exe" > "$work/wine.log" 2>&1 &
app_pid=$!
main=$(wait_window "Marrowick:  $folder" 120)
sleep 1

clipboard() { timeout 5 xclip -o -selection clipboard 2>/dev/null || true; }

# copied_rows OUT: Ctrl+A, Ctrl+C; writes the clipboard text to OUT once it
# has changed and is stable. Every row is copied with all ten columns shown.
copied_rows() {
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
count() { grep -c '' "$1" || true; }

timeout 5 xdotool windowfocus --sync "$main" 2>/dev/null || true
copied_rows "$work/all.txt"
total=$(count "$work/all.txt")
# Rows holding both words, in any letter case: what the filter must leave.
expected=$(grep -i 'png' "$work/all.txt" | grep -ic 'http' || true)
[ "$expected" -gt 0 ] && [ "$expected" -lt "$total" ] || fail "demo cache: $expected of $total rows hold png"

# Ctrl+E, the words typed quickly; the list follows after the pause. Down
# takes the keyboard to the list, where Ctrl+A, Ctrl+C copy the rows shown.
xdotool key ctrl+e
xdotool type --delay 20 'PNG http'
sleep 1
import -window root "$build/e2e_filter.png" || true
xdotool key Down
copied_rows "$work/shown.txt"
shown=$(count "$work/shown.txt")
[ "$shown" -eq "$expected" ] || fail "filter 'PNG http' shows $shown rows, expected $expected of $total"
grep -iv 'png' "$work/shown.txt" && fail "a row without png is shown"
note "filter 'PNG http': $shown of $total rows"

# Esc in the box clears it: every row is back, in the order of the load.
xdotool key ctrl+e Escape
sleep 0.5
copied_rows "$work/cleared.txt"
cmp -s "$work/all.txt" "$work/cleared.txt" || fail "after Esc the rows differ from the load"
note "Esc: all $total rows back in order"

xdotool key ctrl+e
xdotool type --delay 20 'png'
sleep 1
xdotool key alt+F4
wait_exit 15
[ "$app_status" -eq 0 ] || fail "exit code $app_status"
# The text typed last is not kept (SaveFilterIndex is the Save dialog's).
grep -qi 'png' "$work/marrowick.cfg" && fail "the settings file holds the filter text"
echo "PASS: filter narrowed $total rows to $shown and Esc restored them; screenshot $build/e2e_filter.png"
