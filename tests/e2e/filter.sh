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

count() { grep -c '' "$1" || true; }

timeout 5 xdotool windowfocus --sync "$main" 2>/dev/null || true
copy_list_rows "$work/all.txt"
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
copy_list_rows "$work/shown.txt"
shown=$(count "$work/shown.txt")
[ "$shown" -eq "$expected" ] || fail "filter 'PNG http' shows $shown rows, expected $expected of $total"
grep -iv 'png' "$work/shown.txt" && fail "a row without png is shown"
note "filter 'PNG http': $shown of $total rows"

# Esc in the box clears it: every row is back, in the order of the load.
xdotool key ctrl+e Escape
sleep 0.5
copy_list_rows "$work/cleared.txt"
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
