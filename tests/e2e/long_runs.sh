#!/usr/bin/env bash
# End to end, by real keys on a private Xvfb (the state read with
# tests/helpers/ui_probe.exe):
#   - Ctrl+A, Alt+3, Enter copies every row of a cache of a few thousand
#     files with large payloads; meanwhile the status bar reads "Copying...
#     n of N"; Esc stops the copy after the current file, the summary counts
#     what was written, and every file written is there and complete;
#   - a copy of twelve rows whose cache files are gone: ten error boxes, then
#     the question, which Enter answers No; the summary counts all twelve;
#   - Enter on the deletion's confirmation answers No.
#   long_runs.sh BUILD_DIR MARROWICK_EXE ARCH
set -euo pipefail
source "$(dirname "$0")/lib/common.bash"
e2e_init "$@"

probe() { wine_run "$build/tests/ui_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
shot() { import -window root "$build/e2e_long_runs_$1.png" || fail "screenshot $1 failed"; }

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

focus() { timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1" 2>/dev/null || true; }

# answer_box TITLE KEY: presses KEY in the next box titled TITLE and waits
# until that box is gone (the next one may bear the same title).
answer_box() {
    local id
    id=$(wait_window "$1" 30)
    focus "$id"
    xdotool key "$2"
    for _ in $(seq 100); do
        xdotool getwindowname "$id" >/dev/null 2>&1 || return 0
        [ -z "$(xdotool search --onlyvisible --name . 2>/dev/null | grep -x "$id")" ] && return 0
        sleep 0.1
    done
    fail "the box '$1' is still open after $2"
}

# --- A cache of large payloads ------------------------------------------------

files=4000
size=262144
cache="$work/cache"
dest="$work/dest"
mkdir -p "$dest"
# Payload of file i: "p<i, six digits> " repeated; the row's name is
# p<i>.dat, so every copied file can be checked byte for byte.
python3 - "$cache" "$files" "$size" <<'EOF'
import os, struct, sys
root, count, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
z = lambda text: text.encode() + b'\0'
for i in range(count):
    name = '%02x%06d' % (i % 256, i)
    os.makedirs(os.path.join(root, name[:2]), exist_ok=True)
    payload = (b'p%06d ' % i * (size // 8 + 1))[:size]
    with open(os.path.join(root, name[:2], name), 'wb') as out:
        out.write(struct.pack('<I', 2) + bytes(12) + struct.pack('<I', 1) + z('big.example') +
                  z('/p%06d.dat' % i) + struct.pack('<III', 0, 0, 200) + struct.pack('<I', 1) +
                  z('Content-Type') + z('application/octet-stream') + struct.pack('<I', size) + payload)
EOF
cp "$exe" "$work/marrowick.exe"
printf '[Options]\r\nAutoDetectCachePath=0\r\nHttpCachePath=%s\r\nSortByColumn=9\r\nCopyFilesPath=%s\r\n' \
    "$(winpath "$cache")" "$(winpath "$dest")" > "$work/marrowick.cfg"
printf '[WinPositions]\r\nMainWindow=20,20,700,500,0\r\n' >> "$work/marrowick.cfg"

start_xvfb
wine_run "$work/marrowick.exe" > "$work/wine.log" 2>&1 &
app_pid=$!
main=$(wait_window "Marrowick:  $(winpath "$cache")" 60)
wait_probe 120 status "^[0-9]+	$files item\(s\)$" > /dev/null

# --- 1. Esc stops a long copy -----------------------------------------------------

focus "$main"
xdotool key ctrl+a alt+3
answer_box "Copy Selected Files" Return
wait_probe 60 status "Copying\.\.\. [1-9][0-9]* of $files$" > /dev/null
shot copying
focus "$main"
xdotool key Escape
summary=$(wait_probe 60 box "Copy stopped: " | cut -f2)
[[ $summary =~ ^Copy\ stopped:\ ([0-9]+)\ file\(s\)\ written,\ 0\ failed,\ ([0-9]+)\ not\ copied\.$ ]] \
    || fail "summary '$summary'"
written=${BASH_REMATCH[1]} left=${BASH_REMATCH[2]}
[ "$written" -gt 0 ] && [ "$left" -gt 0 ] && [ $((written + left)) -eq "$files" ] \
    || fail "summary counts $written written and $left not copied of $files"
python3 - "$dest" "$written" "$size" <<'EOF' || fail "the files written are not those the summary counts"
import os, sys
dest, written, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
names = sorted(os.listdir(dest))
if len(names) != written:
    sys.exit('%d files in the destination' % len(names))
for name in names:
    data = open(os.path.join(dest, name), 'rb').read()
    if data != (b'%s ' % name[:7].encode() * (size // 8 + 1))[:size]:
        sys.exit('%s is not complete (%d bytes)' % (name, len(data)))
EOF
answer_box Marrowick Return
wait_probe 10 status "^[0-9]+	$files item\(s\), $files selected" > /dev/null
note "Esc stopped the copy: $written of $files files written, each complete"

# --- 2. Ten boxes, then a question that Enter answers No ---------------------------

# Rows 0 to 11 (sorted by Cache File) lose their cache files.
find "$cache" -mindepth 2 -type f -printf '%f\n' | LC_ALL=C sort | head -12 |
    while read -r name; do rm "$cache/${name:0:2}/$name"; done
focus "$main"
xdotool key Home
for _ in $(seq 11); do xdotool key shift+Down; done
wait_probe 10 list "^$files 12 0 " > /dev/null
xdotool key alt+3
answer_box "Copy Selected Files" Return
for _ in $(seq 10); do answer_box Error Return; done
wait_probe 30 box "^Marrowick	More files could not be copied" > /dev/null
answer_box Marrowick Return
summary=$(wait_probe 30 box "failed" | cut -f2)
[ "$summary" = "0 file(s) written, 12 failed." ] || fail "summary after No: '$summary'"
answer_box Marrowick Return
[ -z "$(find_window Error)" ] || fail "an error box came after the answer No"
note "12 failing rows: ten boxes, the question (Enter: No), one summary"

# --- 3. Enter on the deletion's confirmation ----------------------------------------

focus "$main"
xdotool key Home
for _ in $(seq 12); do xdotool key Down; done
wait_probe 10 list "^$files 1 12 12 " > /dev/null
xdotool key shift+F10 d
wait_probe 30 box "^Delete selected files	" > /dev/null
answer_box "Delete selected files" Return
name=$(find "$cache" -mindepth 2 -type f -printf '%f\n' | LC_ALL=C sort | head -1)
[ -f "$cache/${name:0:2}/$name" ] || fail "Enter on the confirmation deleted the file"
wait_probe 10 list "^$files 1 " > /dev/null
note "Enter on the deletion's confirmation: nothing deleted"

xdotool key alt+F4
wait_exit 30
echo "PASS: copy stopped by Esc after $written of $files files; ten boxes then one question; deletion defaults to No"
