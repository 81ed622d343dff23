#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine.
#   scripts/bench.sh [FILES...]              the scan only; default: 20000 100000
#   scripts/bench.sh scan [FILES...]         the folder scan against its floor
#   scripts/bench.sh store [ROWS]            the row store in the main window:
#                                            filter, invert, sort, GMT switch,
#                                            bytes per row; default: 100000
#   scripts/bench.sh extract [COUNT [KIB [MIB]]]  payload extraction against a
#                                            plain copy; default: 1000 100 200
#   scripts/bench.sh copy [ROWS [SAME [ROUNDS]]]  copy runs over list rows: a
#                                            bulk cache against a plain per-file
#                                            copy, one name against distinct
#                                            names; default: 20000 5000 3
#   scripts/bench.sh filter [FILES...]       the quick filter: apply and clear
#                                            against the scan; default: 20000 100000
#   scripts/bench.sh preview [KIB [ROUNDS]]  the preview pane showing a JPEG of
#                                            KIB kilobytes; default: 100 20
#   scripts/bench.sh cli [FILES...]          the command line writing a CSV report
#                                            against its scan's floor; default:
#                                            20000 100000
#   scripts/bench.sh all                     scan, store, extract, preview and cli
#                                            with their defaults
#   scripts/bench.sh                         the same as "all"
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

which=all
case "${1:-}" in
    scan|store|extract|copy|filter|preview|cli|all) which=$1; shift ;;
    '') ;;
    *) which=scan ;;   # bare sizes: the scan, as before
esac
case "$which" in
    all) targets=(scan_bench store_bench extract_bench preview_bench cli_bench); set -- ;;   # each with its defaults
    copy) targets=(extract_bench); set -- rows "$@" ;;
    *) targets=("${which}_bench") ;;
esac

bash scripts/install-deps.sh
# Timings compare like with like: the build that runs natively here (the
# 32-bit one only where the kernel executes it without emulation).
arch=$(bash scripts/host-arch.sh --native)
build=${MARROWICK_BENCH_BUILD:-$root/build/bench-$arch}
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw.cmake -DMARROWICK_ARCH="$arch" \
    -DMARROWICK_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target "${targets[@]}"
for target in "${targets[@]}"; do
    if [ "${#targets[@]}" -gt 1 ]; then echo "== ${target%_bench}"; fi
    # cli_bench runs the program itself, named by its Windows path.
    program=()
    [ "$target" = cli_bench ] && program=("Z:$(printf '%s' "$build/marrowick.exe" | tr / '\\')")
    scripts/wine-run.sh --arch="$arch" --build="$build" "$build/bench/$target.exe" "${program[@]}" "$@"
done
