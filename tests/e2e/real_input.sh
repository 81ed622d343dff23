#!/usr/bin/env bash
# End to end, by real mouse and keyboard input on a private Xvfb, the things
# that only real input shows (the state is read from another process with
# tests/helpers/ui_probe.exe, screenshots where only the pixels tell):
#   - a right click on the list header opens the column menu, once; one on
#     the rows the file menu, once; Shift+F10 and the menu key open the file
#     menu just below the focused row;
#   - the status bar keeps its text on screen after the window is made
#     bigger by its size grip and by maximizing;
#   - Find gives the found row the focus, so Down goes on from there;
#   - switching to another cache folder shows the new list from its top;
#   - Copy Selected Files opens with the path field focused and its text
#     selected, "..." opens the browser at the nearest existing folder of
#     what was typed, and OK with an empty path or one holding "|" is refused.
#   real_input.sh BUILD_DIR MARROWICK_EXE ARCH
set -euo pipefail
source "$(dirname "$0")/lib/common.bash"
e2e_init "$@"

shot() { import -window root "$build/e2e_real_input_$1.png" || fail "screenshot $1 failed"; }

no_error_box() {
    [ -z "$(find_window Error)" ] || { shot error; fail "an error box is shown ($*)"; }
}

focus_main() {
    timeout 5 xdotool windowfocus --sync "$main" 2>/dev/null || xdotool windowfocus "$main" 2>/dev/null || true
}

# menus_shown: the number of popup menus shown once things have settled.
menus_shown() { sleep 0.7; probe menus | cut -d' ' -f1; }

# --- The caches and the settings file ----------------------------------------

make_demo_cache "$work/install"
dir_a="$work/install/appcache/httpcache"
dir_b="$work/install/tenfoot/config/httpcache"
folder_a=$(winpath "$dir_a")
folder_b=$(winpath "$dir_b")
rows_a=$(find "$dir_a" -mindepth 2 -maxdepth 2 -type f | wc -l)
rows_b=$(find "$dir_b" -mindepth 2 -maxdepth 2 -type f | wc -l)
mkdir -p "$work/dest/deep" "$work/preset"
cp "$exe" "$work/marrowick.exe"
# Sorted by Cache File ascending: row n is the n-th cache file name in order.
printf '[Options]\r\nAutoDetectCachePath=0\r\nHttpCachePath=%s\r\nSortByColumn=9\r\nCopyFilesPath=%s\r\n' \
    "$folder_a" "$(winpath "$work/preset")" > "$work/marrowick.cfg"
printf '[WinPositions]\r\nMainWindow=20,20,700,500,0\r\n' >> "$work/marrowick.cfg"

start_xvfb
wine_run "$work/marrowick.exe" > "$work/wine.log" 2>&1 &
app_pid=$!
main=$(wait_window "Marrowick:  $folder_a" 60)
wait_probe 30 status "^[0-9]+	$rows_a item\(s\)$" > /dev/null
no_error_box "after loading folder A"

read -r _ header_top header_right header_bottom < <(probe header)
read -r _ _ _ _ _ _ row_height < <(probe list)

# --- 1. Context menus ----------------------------------------------------------

# Right click on the header: the column menu, once. Its first item is
# Filename: choosing it hides column 0, and choosing it again shows it.
width0=$(probe widths | cut -d' ' -f1)
for expected in 0 "$width0"; do
    xdotool mousemove 200 $(((header_top + header_bottom) / 2)) click 3
    [ "$(menus_shown)" = 1 ] || { shot header_menu; fail "a right click on the header shows $(probe menus | cut -d' ' -f1) menus"; }
    [ "$expected" = 0 ] && shot column_menu
    xdotool key Down Return
    [ "$(menus_shown)" = 0 ] || { shot header_menu; fail "a second menu opened after the column menu closed"; }
    [ "$(probe widths | cut -d' ' -f1)" = "$expected" ] || fail "column 0 has width $(probe widths | cut -d' ' -f1), expected $expected"
done
note "header right click: the column menu, once; Filename hidden and shown again"

# Right click on a row: the file menu, once.
xdotool mousemove 200 $((header_bottom + row_height * 3 + row_height / 2)) click 3
[ "$(menus_shown)" = 1 ] || fail "a right click on a row shows $(probe menus | cut -d' ' -f1) menus"
xdotool key Escape
[ "$(menus_shown)" = 0 ] || fail "a menu is still shown after Escape on the file menu"

# Keyboard: click row 1, two rows down, then Shift+F10 and the menu key.
xdotool mousemove 200 $((header_bottom + row_height + row_height / 2)) click 1
xdotool key Down Down
answer=$(wait_probe 5 list '^[0-9]+ 1 3 3 ')
read -r _ _ _ focused top _ _ <<<"$answer"
row_bottom=$((header_bottom + (focused - top + 1) * row_height))
for key in shift+F10 Menu; do
    xdotool key "$key"
    [ "$(menus_shown)" = 1 ] || fail "$key shows $(probe menus | cut -d' ' -f1) menus"
    read -r _ _ menu_top _ _ < <(probe menus)
    [ $((menu_top - row_bottom)) -le 2 ] && [ $((row_bottom - menu_top)) -le 2 ] \
        || { shot key_menu; fail "$key: menu top at $menu_top, the focused row ends at $row_bottom"; }
    [ "$key" = Menu ] || shot key_menu
    xdotool key Escape
done
[ "$(menus_shown)" = 0 ] || fail "a menu is still shown after the keyboard menus"
note "row right click, Shift+F10 and the menu key: the file menu, once, below the focused row"

# --- 2. The status bar through resizes -------------------------------------------

# Part 0 shows its text when the darkest pixel of its inside is dark.
status_inked() {
    local left top bottom
    read -r left top _ bottom < <(probe status-rect)
    shot "$1"
    convert "$build/e2e_real_input_$1.png" -crop "240x$((bottom - top - 6))+$((left + 3))+$((top + 3))" \
        -colorspace Gray -format '%[fx:minima.r < 0.4 ? 1 : 0]' info:
}
[ "$(status_inked status_before)" = 1 ] || fail "the status bar shows no text before any resize"
read -r left top right bottom < <(probe main-rect)
xdotool mousemove $((right - 4)) $((bottom - 4)) mousedown 1
for step in 1 2 3 4; do
    sleep 0.2
    xdotool mousemove $((right - 4 + step * 50)) $((bottom - 4 + step * 40))
done
sleep 0.2
xdotool mouseup 1
sleep 1
read -r _ _ right2 bottom2 < <(probe main-rect)
[ "$right2" -gt "$right" ] && [ "$bottom2" -gt "$bottom" ] || fail "the size grip did not enlarge the window"
probe status | grep -Eq "^[1-9][0-9]*	$rows_a item" || fail "status text after the drag: '$(probe status)'"
[ "$(status_inked status_dragged)" = 1 ] || fail "the status bar is blank after the window was dragged bigger"
# Maximize by a double click on the caption, then back.
xdotool mousemove $((left + 200)) $((top + 10)) click --repeat 2 --delay 80 1
sleep 1.5
read -r _ _ right3 _ < <(probe main-rect)
[ "$right3" -gt "$right2" ] || fail "the double click on the caption did not maximize the window"
[ "$(status_inked status_maximized)" = 1 ] || fail "the status bar is blank after maximizing"
xdotool mousemove 200 10 click --repeat 2 --delay 80 1
sleep 1.5
note "status bar text still shown after dragging the size grip and after maximizing"

# --- 3. Find gives the found row the focus ---------------------------------------

target_row=300
target=$(find "$dir_a" -mindepth 2 -maxdepth 2 -type f -printf '%f\n' | LC_ALL=C sort | sed -n "$((target_row + 1))p")
focus_main
xdotool key Home
wait_probe 5 list '^[0-9]+ 1 0 0 ' > /dev/null
xdotool key ctrl+f
wait_window "Find" 15 > /dev/null
xdotool type --delay 5 "$target"
xdotool key Return
answer=$(wait_probe 10 list "^[0-9]+ 1 $target_row ")
read -r _ _ _ focused top per_page _ <<<"$answer"
xdotool key Escape
wait_window_gone "Find" 10
[ "$focused" = "$target_row" ] || fail "the found row $target_row is selected but row $focused has the focus"
[ "$top" -le "$target_row" ] && [ "$target_row" -lt $((top + per_page)) ] \
    || fail "the found row $target_row is not in view (top $top, $per_page rows)"
focus_main
xdotool key Down
wait_probe 5 list "^[0-9]+ 1 $((target_row + 1)) $((target_row + 1)) " > /dev/null
note "Find: row $target_row selected, focused and in view; Down went on to row $((target_row + 1))"

# --- 4. A new folder starts at the top ------------------------------------------

xdotool key End
answer=$(wait_probe 5 list "^[0-9]+ 1 $((rows_a - 1)) ")
read -r _ _ _ _ old_top _ _ <<<"$answer"
[ "$old_top" -gt 0 ] || fail "End did not scroll the list"
xdotool key ctrl+o
wait_window "Select Cache Folder" 15 > /dev/null
# OK has the focus; Tab, Tab: the path field, its text selected.
xdotool key Tab Tab
xdotool type --delay 5 "$folder_b"
xdotool key Return
main=$(wait_window "Marrowick:  $folder_b" 60)
wait_probe 30 status "	$rows_b item" > /dev/null
read -r count _ _ _ top _ _ < <(probe list)
[ "$count" = "$rows_b" ] || fail "folder B shows $count rows, it holds $rows_b cache files"
[ "$top" = 0 ] || { shot folder_b; fail "folder B opened scrolled to row $top"; }
no_error_box "after switching to folder B"
note "folder switch: $rows_b rows shown from the top (the old list was scrolled to row $old_top)"

# --- 5. Copy Selected Files --------------------------------------------------------

preset=$(winpath "$work/preset")
focus_main
xdotool key Home alt+3
wait_window "Copy Selected Files" 15 > /dev/null
answer=$(probe focus)
[ "$answer" = "1070 Edit 0 ${#preset}	$preset" ] || fail "Copy dialog opened with the focus '$answer'"
# Typing replaces the selected text.
xdotool type --delay 5 "$(winpath "$work/dest/deep/gone/x")"
xdotool key Tab space
browser=$(wait_window "Browse for Folder" 15)
# The browser fills its tree before it settles on the folder; on a loaded
# machine 1.5 s was seen to be too short for that.
sleep 3
shot copy_browser
xdotool key Return
wait_window_gone "Browse for Folder" 10
xdotool key shift+Tab
answer=$(probe focus)
[ "${answer#*	}" = "$(winpath "$work/dest/deep")" ] || fail "the browser gave '${answer#*	}', expected the nearest existing folder"
# Empty: refused with the error box, the dialog stays, the field has the focus.
xdotool key BackSpace Return
wait_window "Error" 10 > /dev/null
shot copy_refused
xdotool key Return
wait_window_gone "Error" 10
[ -n "$(find_window "Copy Selected Files")" ] || fail "the Copy dialog closed on an empty path"
answer=$(probe focus)
[ "$answer" = "1070 Edit 0 0	" ] || fail "after the refusal the focus is '$answer'"
# A character that no folder name can hold: refused the same way, the typed
# text selected again so that typing replaces it.
xdotool type --delay 5 "$(winpath "$work/bad")|name"
xdotool key Return
wait_window "Error" 10 > /dev/null
shot copy_refused_chars
xdotool key Return
wait_window_gone "Error" 10
[ -n "$(find_window "Copy Selected Files")" ] || fail "the Copy dialog closed on a path holding |"
[ ! -e "$work/bad|name" ] || fail "a folder was made for a path holding |"
xdotool type --delay 5 "$(winpath "$work/copied")"
xdotool key Return
wait_window_gone "Copy Selected Files" 10
for _ in $(seq 50); do [ -n "$(ls -A "$work/copied" 2>/dev/null)" ] && break; sleep 0.1; done
[ "$(ls -A "$work/copied" | wc -l)" = 1 ] || fail "the copy wrote $(ls -A "$work/copied" 2>/dev/null | wc -l) files"
no_error_box "after the copy"
note "Copy dialog: path field focused with its text selected, browser at the nearest folder, empty path and | refused"

# --- The end -------------------------------------------------------------------------

focus_main
xdotool key alt+F4
wait_exit 15
[ "$app_status" -eq 0 ] || fail "exit code $app_status"
echo "PASS: real input session"
