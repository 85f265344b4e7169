#!/usr/bin/env bash
# Prints the query window figures over a large Detail table: Run SQL of "SELECT * FROM Detail"
# to the first rows shown (target < 1 s) and the peak memory (target < 100 MiB). Builds its
# own Release tree.
#   bench/run-query-bench.sh [ROWS]     (default 1000000; BUILD_DIR overrides build-query-bench)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-query-bench}
rows=${1:-1000000}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCV_BUILD_TESTS=OFF >/dev/null
ninja -C "$build" cv_database cv_query_bench >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bin/cv_query_bench" fill "$work" "$rows"
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bin/cv_query_bench" show "$work"
