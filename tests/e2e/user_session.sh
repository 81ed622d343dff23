#!/usr/bin/env bash
# End to end: a user's session with the real program on a private Xvfb with
# the normal graphics driver, driven by the keyboard:
#   - it opens on the cache folder named in its settings file (one column
#     hidden, the columns reordered on screen, sorted by Cache File
#     descending, dates in local time);
#   - Ctrl+A, Ctrl+C puts every row on the clipboard, checked against an
#     independent reading of the cache files;
#   - Ctrl+S saves the rows as HTML and then as CSV through the Save dialog;
#   - one row's properties window opens from the File menu and by Enter;
#   - Ctrl+O switches to a second cache folder, whose rows are checked too;
#   - Alt+F4 ends it with exit code 0 and the settings written back.
#   user_session.sh BUILD_DIR MARROWICK_EXE ARCH
set -euo pipefail
source "$(dirname "$0")/lib/common.bash"
e2e_init "$@"
started=$SECONDS
rows_tool() { python3 "$root/tests/e2e/lib/cache_rows.py" "$@"; }

# --- The caches and the settings file ----------------------------------------

make_demo_cache "$work/install"
dir_a="$work/install/appcache/httpcache"
dir_b="$work/install/tenfoot/config/httpcache"
folder_a=$(winpath "$dir_a")
folder_b=$(winpath "$dir_b")
files_a=$(find "$dir_a" -mindepth 2 -maxdepth 2 -type f | wc -l)
files_b=$(find "$dir_b" -mindepth 2 -maxdepth 2 -type f | wc -l)
[ "$files_a" -gt 100 ] && [ "$files_b" -gt 50 ] || fail "the generator wrote $files_a and $files_b cache files"

# ETag hidden (width 0), Cache File shown first: the clipboard and the
# reports must still leave ETag out and keep the columns in their own order.
widths=120,300,110,80,150,150,150,120,0,130
sort_key=265   # Cache File, descending
zone=${MARROWICK_TZ:-Asia/Kolkata}
cp "$exe" "$work/marrowick.exe"
cfg="$work/marrowick.cfg"
printf '[Options]\r\nAutoDetectCachePath=0\r\nHttpCachePath=%s\r\nSortByColumn=%d\r\nShowTimeInGMT=0\r\n' \
    "$folder_a" "$sort_key" > "$cfg"
printf '[WinPositions]\r\nMainWindow=20,20,1000,640,0\r\nColumnWidths=%s\r\nColumnOrder=9,0,1,2,3,4,5,6,7,8\r\n' \
    "$widths" >> "$cfg"
row_options=(--widths "$widths" --sort "$sort_key" --zone "$zone" --gmt 0)

# --- Helpers driving the program -----------------------------------------------

# No error box may be open at any step.
no_error_box() {
    [ -z "$(find_window Error)" ] || { import -window root "$build/e2e_user_session_error.png" || true;
                                      fail "an error box is shown ($*); screenshot e2e_user_session_error.png"; }
}

# Keys go to the focused window; give it to the main window first. Bounded:
# --sync would wait for ever if the focus never arrived.
focus_main() {
    timeout 5 xdotool windowfocus --sync "$main" 2>/dev/null || xdotool windowfocus "$main" 2>/dev/null || true
}

# copy_rows OUT: Ctrl+A, Ctrl+C in the main window, the text to OUT.
copy_rows() {
    focus_main
    copy_list_rows "$1"
}

# copy_field: Ctrl+C in the focused edit field; prints the clipboard text.
copy_field() {
    local before now
    before=$(clipboard)
    xdotool key ctrl+c
    for _ in $(seq 30); do
        now=$(clipboard)
        [ "$now" != "$before" ] && break
        sleep 0.1
    done
    printf '%s' "$now"
}

# geometry ID: prints "x y width height" of a window.
geometry() {
    xdotool getwindowgeometry --shell "$1" | awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print x, y, w, h}'
}

# save_report TYPE_INDEX FILE: Ctrl+S, choose the file type (1 to 4, the
# order of the "Files of type" list) and the name, press Enter; sets
# save_at to the Save dialog's "x y width height".
save_report() {
    local dialog
    focus_main
    xdotool key ctrl+s
    dialog=$(wait_window "Save As" 15)
    save_at=$(geometry "$dialog")
    # Alt+T: the type list; Home, then Down to the wanted entry. Alt+N: the
    # name field, its old text selected and replaced by the full path.
    xdotool key alt+t Home
    for _ in $(seq $(($1 - 1))); do xdotool key Down; done
    xdotool key alt+n Home shift+End
    xdotool type --delay 5 "$(winpath "$2")"
    xdotool key Return
    wait_window_gone "Save As" 15
    wait_file "$2" 15
    no_error_box "after saving $2"
}

# --- 1. Start on folder A ------------------------------------------------------

start_xvfb
wine_run "$work/marrowick.exe" > "$work/wine.log" 2>&1 &
app_pid=$!
main=$(wait_window "Marrowick:  $folder_a" 60)
note "window 'Marrowick:  $folder_a' after $((SECONDS - started)) s"
no_error_box "after loading folder A"

# --- 2. Clipboard: every row, visible columns, tab-delimited ------------------

copy_rows "$work/clip_a.txt"
lines=$(grep -c '' "$work/clip_a.txt" || true)
[ "$lines" -eq "$files_a" ] || fail "clipboard holds $lines lines, the folder holds $files_a cache files"
rows_tool check "$dir_a" "$work/clip_a.txt" "${row_options[@]}" \
    || fail "clipboard rows differ from the cache files (see above)"
note "clipboard: $lines rows match the cache files"

sleep 0.5   # let the selection highlight paint before the picture
import -window root "$build/e2e_user_session.png" || fail "screenshot failed"
[ -s "$build/e2e_user_session.png" ] || fail "empty screenshot"

# --- 3. Reports: HTML, then CSV ------------------------------------------------

html="$work/out/rows report.htm"
csv="$work/out/rows report.csv"
mkdir -p "$work/out"
read -r mx my mw mh < <(geometry "$main")
save_report 4 "$html"
read -r sx sy sw sh <<<"$save_at"
# The first Save dialog of a run is centred over the main window.
cx=$((mx + (mw - sw) / 2)) cy=$((my + (mh - sh) / 2))
[ $((sx - cx)) -le 2 ] && [ $((cx - sx)) -le 2 ] && [ $((sy - cy)) -le 2 ] && [ $((cy - sy)) -le 2 ] \
    || fail "Save dialog at $sx,$sy, expected centred over the main window at $cx,$cy"
rows_tool report html "$work/clip_a.txt" "$html" --widths "$widths" || fail "HTML report wrong (see above)"
save_report 3 "$csv"
read -r tx ty _ _ <<<"$save_at"
# Afterwards it opens where it was left.
[ "$tx,$ty" = "$sx,$sy" ] || fail "second Save dialog at $tx,$ty, the first was at $sx,$sy"
rows_tool report csv "$work/clip_a.txt" "$csv" --widths "$widths" || fail "CSV report wrong (see above)"
note "reports: HTML and CSV match the clipboard rows"

# --- 4. Properties of one row --------------------------------------------------

# The first row (in list order) that has an ETag: its field must show it
# although the column is hidden in the list.
IFS=$'\t' read -r pick_index pick_url pick_etag < <(rows_tool pick "$dir_a" "${row_options[@]}") \
    || fail "no row with an ETag"
focus_main
xdotool key Home
for _ in $(seq "$pick_index"); do xdotool key Down; done
xdotool key alt+f p
wait_window "Properties" 15 > /dev/null
import -window root "$build/e2e_user_session_properties.png" || true
# The OK button has the focus; Tab moves to the value fields (the labels
# are no tab stops) and selects the field's whole text.
xdotool key Tab Tab
url=$(copy_field)
[ "$url" = "$pick_url" ] || fail "Properties URL field holds '$url', expected '$pick_url'"
for _ in $(seq 7); do xdotool key Tab; done
etag=$(copy_field)
[ "$etag" = "$pick_etag" ] || fail "Properties ETag field holds '$etag', expected '$pick_etag'"
xdotool key Escape
wait_window_gone "Properties" 10
# Enter on the row runs the default action: the properties window again.
focus_main
xdotool key Return
wait_window "Properties" 15 > /dev/null
xdotool key Escape
wait_window_gone "Properties" 10
no_error_box "after the properties window"
note "properties window: opened from the menu and by Enter, closed by Escape"

# --- 5. Select Cache Folder: folder B -------------------------------------------

focus_main
xdotool key ctrl+o
wait_window "Select Cache Folder" 15 > /dev/null
# Focus order: OK, Cancel, path field, "...", check box. Tick the box and
# clear it again (the path field is disabled while it is ticked), then go
# back to the path field, which selects its text, and replace it.
xdotool key Tab Tab Tab Tab space space shift+Tab shift+Tab
xdotool type --delay 5 "$folder_b"
xdotool key Return
wait_window_gone "Select Cache Folder" 10
main=$(wait_window "Marrowick:  $folder_b" 30)
no_error_box "after loading folder B"
copy_rows "$work/clip_b.txt"
rows_tool check "$dir_b" "$work/clip_b.txt" "${row_options[@]}" \
    || fail "folder B: clipboard rows differ from the cache files (see above)"
note "folder B: $(grep -c '' "$work/clip_b.txt") rows match the cache files"

# --- 6. Close and check the settings written ------------------------------------

focus_main
xdotool key alt+F4
wait_exit 20
[ "$app_status" -eq 0 ] || fail "exit code $app_status"
settings=$(tr -d '\r' < "$cfg")
grep -qxF "HttpCachePath=$folder_b" <<<"$settings" || fail "HttpCachePath is not folder B: $(grep HttpCachePath <<<"$settings")"
grep -qx 'AutoDetectCachePath=0' <<<"$settings" || fail "AutoDetectCachePath is not 0"
grep -qx 'SaveFilterIndex=3' <<<"$settings" || fail "SaveFilterIndex is not 3 (CSV chosen last)"
grep -qx "SortByColumn=$sort_key" <<<"$settings" || fail "SortByColumn changed"
grep -qx "ColumnWidths=$widths" <<<"$settings" || fail "ColumnWidths changed: $(grep ColumnWidths <<<"$settings")"
echo "PASS: user session in $((SECONDS - started)) s; screenshots $build/e2e_user_session.png, e2e_user_session_properties.png"
