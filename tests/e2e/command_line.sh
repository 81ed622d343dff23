#!/usr/bin/env bash
# End to end: the program run from the command line as a script runs it,
# with no display. The reports are checked against an independent reading
# of the cache folder (the same checks as the window's Save), the payloads
# are counted, the exit codes and the count line of the failures are
# checked, no run creates a window (Wine's window trace of the program's
# own process stays empty), and the settings file is never written.
#   command_line.sh BUILD_DIR MARROWICK_EXE ARCH
set -euo pipefail
source "$(dirname "$0")/lib/common.bash"
e2e_init "$@"
rows_tool() { python3 "$root/tests/e2e/lib/cache_rows.py" "$@"; }

make_demo_cache "$work/install"
dir="$work/install/appcache/httpcache"
folder=$(winpath "$dir")
cp "$exe" "$work/marrowick.exe"
# Content Type and ETag hidden, sorted by Cache File, dates in GMT.
widths=120,350,0,100,120,120,120,120,0,120
printf '[Options]\r\nAutoDetectCachePath=0\r\nHttpCachePath=%s\r\nSortByColumn=9\r\n[WinPositions]\r\nColumnWidths=%s\r\n' \
    "$folder" "$widths" > "$work/marrowick.cfg"
cp "$work/marrowick.cfg" "$work/settings.before"

# run ARGS...: runs the program headless with Wine's window trace; sets
# status, and leaves its standard output in $work/out and its own standard
# error (the trace lines taken out) in $work/err. Fails when the program's
# process (the first to trace) created a window, or it did not end in time.
run() {
    status=0
    MARROWICK_DISPLAY= MARROWICK_WINEDEBUG=+pid,+win timeout 300 \
        "$root/scripts/wine-run.sh" --arch="$arch" --build="$build" "$work/marrowick.exe" "$@" \
        >"$work/out" 2>"$work/trace" || status=$?
    [ "$status" -ne 124 ] || fail "$* did not end within 300 s"
    local pattern='^[0-9a-f]{4,8}:[0-9a-f]{4,8}:(trace|warn|err|fixme):' pid
    grep -Ev "$pattern" "$work/trace" | tr -d '\r' > "$work/err" || true
    pid=$(grep -Em1 "$pattern" "$work/trace" | cut -d: -f1 || true)
    if [ -n "$pid" ] && grep -q "^$pid:[0-9a-f]*:trace:win:WIN_CreateWindowEx" "$work/trace"; then
        fail "$* created a window: $(grep -m1 "^$pid:[0-9a-f]*:trace:win:WIN_CreateWindowEx" "$work/trace")"
    fi
    tr -d '\r' < "$work/out" > "$work/out.txt"
}

# Every row in three formats and every payload, read once; /gmt 0 overrides
# the settings file.
run /FOLDER "$folder" /stab "$(winpath "$work/rows.txt")" -scomma "$(winpath "$work/rows.csv")" \
    /shtml "$(winpath "$work/rows.htm")" /copy "$(winpath "$work/all")" /gmt 0
[ "$status" -eq 0 ] || fail "full run: exit code $status: $(cat "$work/err")"
rows=$(grep -c '' "$work/rows.txt")
payloads=$(find "$work/all" -type f | wc -l)
[ "$(cat "$work/out.txt")" = "$rows rows, $((payloads + 3)) written, 0 failed" ] \
    || fail "full run printed '$(cat "$work/out.txt")' for $rows rows and $payloads payloads"
[ "$payloads" -eq "$rows" ] || fail "$payloads payloads for $rows rows"
rows_tool check "$dir" "$work/rows.txt" --widths "$widths" --sort 9 --gmt 0 || fail "tab-delimited rows wrong"
rows_tool report csv "$work/rows.txt" "$work/rows.csv" --widths "$widths" || fail "CSV report wrong"
rows_tool report html "$work/rows.txt" "$work/rows.htm" --widths "$widths" || fail "HTML report wrong"
note "full run: $rows rows in three reports, $payloads payloads"

# The quick filter's rows: those holding "png" in any cell, hidden ones too.
expected=$(rows_tool rows "$dir" | grep -ic png || true)
run /folder "$folder" /filter png /copy "$(winpath "$work/png")"
[ "$status" -eq 0 ] && [ "$(cat "$work/out.txt")" = "$expected rows, $expected written, 0 failed" ] \
    || fail "/filter png: exit $status, '$(cat "$work/out.txt")', expected $expected rows"
note "/filter png /copy: $expected payloads"

# Failures: exit code, a message on standard error, the count line.
check_failure() {
    local want=$1 message=$2 line=$3
    shift 3
    run "$@"
    [ "$status" -eq "$want" ] || fail "$*: exit code $status, expected $want"
    grep -q "$message" "$work/err" || fail "$*: no '$message' on standard error: $(cat "$work/err")"
    [ "$(cat "$work/out.txt")" = "$line" ] || fail "$*: printed '$(cat "$work/out.txt")', expected '$line'"
}
check_failure 1 'Unknown switch: /bogus' '' /bogus
check_failure 1 'Usage: marrowick.exe' '' /sort 10 /stab x.txt
check_failure 2 'Could not access cache directory' '0 rows, 0 written, 0 failed' \
    /folder "$(winpath "$work/none")" /stab "$(winpath "$work/none.txt")"
[ ! -e "$work/none.txt" ] || fail "a report was written for a missing folder"
check_failure 3 'Could not open file for writing' "$rows rows, 1 written, 1 failed" \
    /stab "$(winpath "$work/no/such/folder.txt")" /scomma "$(winpath "$work/second.csv")" /gmt 0
cmp -s "$work/rows.csv" "$work/second.csv" || fail "the report beside the failed one differs"
run '/?'
[ "$status" -eq 0 ] && grep -q '^  /copy FOLDER' "$work/out.txt" || fail "/? did not print the usage text"

cmp -s "$work/settings.before" "$work/marrowick.cfg" || fail "the settings file was written"
echo "PASS: command line: $rows rows, reports and payloads, exit codes 1, 2 and 3, no window"
