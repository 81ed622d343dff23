#!/usr/bin/env bash
# End to end, by real keys on a private Xvfb: Ctrl+A, Alt+3, Enter copies
# the rows of a cache of 4,000 files of 256 KiB; the status bar reads
# "Copying... n of N"; Esc stops the copy after the current file; the summary
# counts what was written, and every file written is there and complete.
#   long_runs.sh BUILD_DIR MARROWICK_EXE ARCH
set -euo pipefail
source "$(dirname "$0")/lib/common.bash"
e2e_init "$@"

files=4000 size=262144 cache="$work/cache" dest="$work/dest"
mkdir -p "$dest"
# Row i is named p<i>.dat (six digits) and its payload is "p<i> " repeated,
# so every copied file can be checked byte for byte.
python3 - "$cache" "$files" "$size" <<'EOF'
import os, struct, sys
root, count, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
z = lambda text: text.encode() + b'\0'
for i in range(count):
    name = '%02x%06d' % (i % 256, i)
    os.makedirs(os.path.join(root, name[:2]), exist_ok=True)
    with open(os.path.join(root, name[:2], name), 'wb') as out:
        out.write(struct.pack('<I12xI', 2, 1) + z('big.example') + z('/p%06d.dat' % i) +
                  struct.pack('<IIII', 0, 0, 200, 1) + z('Content-Type') + z('application/octet-stream') +
                  struct.pack('<I', size) + (b'p%06d ' % i * (size // 8 + 1))[:size])
EOF
cp "$exe" "$work/marrowick.exe"
printf '[Options]\r\nAutoDetectCachePath=0\r\nHttpCachePath=%s\r\nCopyFilesPath=%s\r\nSortByColumn=9\r\n' \
    "$(winpath "$cache")" "$(winpath "$dest")" > "$work/marrowick.cfg"

start_xvfb
wine_run "$work/marrowick.exe" > "$work/wine.log" 2>&1 &
app_pid=$!
main=$(wait_window "Marrowick:  $(winpath "$cache")" 60)
wait_probe 120 status "^[0-9]+	$files item\(s\)$" > /dev/null

# press WINDOW KEYS...: the keys with WINDOW focused.
press() {
    timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1" 2>/dev/null || true
    xdotool key "${@:2}"
}

press "$main" ctrl+a alt+3
press "$(wait_window "Copy Selected Files" 30)" Return
wait_probe 60 status "Copying\.\.\. [1-9][0-9]* of $files$" > /dev/null
import -window root "$build/e2e_long_runs_copying.png" || true
press "$main" Escape
summary=$(wait_probe 60 box "^Marrowick	Copy stopped: " | cut -f2)
[[ $summary =~ ^Copy\ stopped:\ ([0-9]+)\ file\(s\)\ written,\ 0\ failed,\ ([0-9]+)\ not\ copied\.$ ]] \
    || fail "summary '$summary'"
written=${BASH_REMATCH[1]}
[ "$written" -gt 0 ] && [ $((written + BASH_REMATCH[2])) -eq "$files" ] || fail "summary '$summary'"
python3 - "$dest" "$written" "$size" <<'EOF' || fail "the destination does not hold what the summary counts"
import os, sys
dest, written, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
names = os.listdir(dest)
assert len(names) == written, '%d files in the destination' % len(names)
for name in names:
    assert open(os.path.join(dest, name), 'rb').read() == (b'%s ' % name[:7].encode() * (size // 8 + 1))[:size], name
EOF
press "$(wait_window Marrowick 10)" Return
wait_probe 10 status "^[0-9]+	$files item\(s\), $files selected" > /dev/null
note "Esc stopped the copy: $written of $files files written, each complete"

xdotool key alt+F4
wait_exit 30
echo "PASS: Esc stopped the copy after $written of $files files, each complete"
