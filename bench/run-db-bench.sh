#!/usr/bin/env bash
# Prints the audit database figures: Detail appends through the row set against a bare
# prepared-statement loop (target >= 70%), and the peak memory of `cv --query` streaming
# the rows (target < 64 MiB). Builds its own Release tree.
#   bench/run-db-bench.sh [ROWS]        (default 1000000; BUILD_DIR overrides build-bench)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
rows=${1:-1000000}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCV_BUILD_TESTS=OFF >/dev/null
ninja -C "$build" cv cv_database cv_db_bench >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bin/cv_db_bench" fill "$work" "$rows"
"$build/bin/cv_db_bench" query "$work"
