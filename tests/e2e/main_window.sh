#!/usr/bin/env bash
# End to end: the real program on a private Xvfb with the normal graphics
# driver opens its window on the cache folder named in its settings file,
# closes on Alt+F4 with exit code 0 and writes its settings back.
#   main_window.sh BUILD_DIR MARROWICK_EXE ARCH
set -euo pipefail
source "$(dirname "$0")/lib/common.bash"
e2e_init "$@"

# A generated cache folder, and the program copied beside its own settings
# file (the executable's path with .cfg).
make_demo_cache "$work/install"
folder=$(winpath "$work/install/appcache/httpcache")
cp "$exe" "$work/marrowick.exe"
printf '[Options]\r\nAutoDetectCachePath=0\r\nHttpCachePath=%s\r\nSortByColumn=-1\r\n' "$folder" > "$work/marrowick.cfg"

start_xvfb
wine_run "$work/marrowick.exe" &
app_pid=$!

# The title names the folder once the scan has started.
expected="Marrowick:  $folder"
window=$(wait_window "$expected" 120)

sleep 2
shot="$build/e2e_main_window.png"
import -window root "$shot" || fail "screenshot failed"
[ -s "$shot" ] || fail "empty screenshot"

# Alt+F4 reaches the window through the keyboard focus; Wine turns it into
# SC_CLOSE and so WM_CLOSE, which writes the settings file.
timeout 5 xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key alt+F4
wait_exit 15
[ "$app_status" -eq 0 ] || fail "exit code $app_status"

cfg=$(tr -d '\r' < "$work/marrowick.cfg")
grep -qx 'AutoDetectCachePath=0' <<<"$cfg" || fail "AutoDetectCachePath not written back"
grep -qxF "HttpCachePath=$folder" <<<"$cfg" || fail "HttpCachePath not written back"
grep -q '^\[WinPositions\]' <<<"$cfg" || fail "no WinPositions section"
grep -q '^MainWindow=' <<<"$cfg" || fail "no MainWindow placement"
grep -q '^ColumnWidths=' <<<"$cfg" || fail "no ColumnWidths"
echo "PASS: window '$expected', screenshot $shot"
