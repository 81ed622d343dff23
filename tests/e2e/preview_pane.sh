#!/usr/bin/env bash
# End to end: the preview pane of the real program on a private Xvfb.
# Down focuses the first row with the pane off; Alt+P opens the pane, Down
# moves to an image row, whose picture and status line appear in the pane
# (screenshot e2e_preview_pane.png); its splitter is dragged 60 pixels up;
# Alt+P closes it again and Up goes back
# to the first row: the window is then pixel for pixel what it was before.
# Alt+F4 writes the [Preview] section after the other two, with the height.
#   preview_pane.sh BUILD_DIR MARROWICK_EXE ARCH
set -euo pipefail
source "$(dirname "$0")/lib/common.bash"
e2e_init "$@"

make_demo_cache "$work/install"
folder=$(winpath "$work/install/appcache/httpcache")
cp "$exe" "$work/marrowick.exe"
# File Size, descending: the largest payloads of the demo cache, and so the
# first rows, are its uncompressed PNG images.
printf '[Options]\r\nAutoDetectCachePath=0\r\nHttpCachePath=%s\r\nSortByColumn=259\r\n' "$folder" > "$work/marrowick.cfg"
printf '[WinPositions]\r\nMainWindow=0,0,900,640,0\r\n' >> "$work/marrowick.cfg"

start_xvfb
wine_run "$work/marrowick.exe" &
app_pid=$!
window=$(wait_window "Marrowick:  $folder" 120)
sleep 2

focus_main() { timeout 5 xdotool windowfocus --sync "$window" 2>/dev/null || true; }
shot() { sleep 1.5; import -window "$window" "$1" || fail "screenshot $1 failed"; }
different_pixels() { compare -metric AE "$1" "$2" null: 2>&1 || true; }

focus_main
xdotool key Down
shot "$work/before.png"

xdotool key alt+p
xdotool key Down
shot "$build/e2e_preview_pane.png"
[ -z "$(find_window Error)" ] || fail "an error box is shown"
changed=$(different_pixels "$work/before.png" "$build/e2e_preview_pane.png")
[ "$changed" -gt 10000 ] || fail "the pane did not appear ($changed pixels changed)"

# Drag the splitter (the pane's top 5 pixels, 220 + 1 + the status bar's
# 23 above the window's bottom) 60 pixels up.
eval "$(xdotool getwindowgeometry --shell "$window")"
splitter=$((Y + HEIGHT - 23 - 1 - 220 + 2))
xdotool mousemove $((X + 300)) "$splitter" mousedown 1
xdotool mousemove $((X + 300)) $((splitter - 30)) mousemove $((X + 300)) $((splitter - 60)) mouseup 1
sleep 0.5

xdotool key alt+p
xdotool key Up
shot "$work/after.png"
changed=$(different_pixels "$work/before.png" "$work/after.png")
[ "$changed" = 0 ] || { cp "$work/after.png" "$build/e2e_preview_after.png";
                        fail "the window differs from before in $changed pixels (e2e_preview_after.png)"; }

focus_main
xdotool key alt+F4
wait_exit 15
[ "$app_status" -eq 0 ] || fail "exit code $app_status"
sections=$(tr -d '\r' < "$work/marrowick.cfg" | grep '^\[' | tr '\n' ' ')
[ "$sections" = "[Options] [WinPositions] [Preview] " ] || fail "sections: $sections"
tr -d '\r' < "$work/marrowick.cfg" | grep -qx 'Show=0' || fail "Show=0 not written"
tr -d '\r' < "$work/marrowick.cfg" | grep -qx 'Height=280' || fail "the dragged height 280 was not remembered"
echo "PASS: pane shown on an image row (e2e_preview_pane.png), window as before after Alt+P"
