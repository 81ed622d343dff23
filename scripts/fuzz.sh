#!/usr/bin/env bash
# Fuzzes the cache header walk natively: builds fuzz/ with clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer into build/fuzz, writes the
# seeds with the cache file writer and runs one fuzzing process (one core)
# for a bounded time. Usage: scripts/fuzz.sh [seconds]   (default 60)
# Prints the executions and the findings (crash inputs in build/fuzz/findings).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build="$root/build/fuzz"

cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2 >/dev/null
mkdir -p "$build/corpus" "$build/seeds" "$build/findings"
"$build/make_fuzz_seeds" "$build/seeds"

status=0
# At most 4,096 bytes: the reader never looks further into a cache file.
"$build/fuzz_header_walk" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$build/findings/" "$build/corpus" "$build/seeds" >"$build/fuzz.log" 2>&1 || status=$?

executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/fuzz.log" | tail -1)
findings=$(find "$build/findings" -type f | wc -l)
echo "seconds: $seconds  executions: ${executions:-unknown}  findings: $findings  (log: $build/fuzz.log)"
[ "$status" -eq 0 ] && [ "$findings" -eq 0 ]
