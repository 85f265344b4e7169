#!/usr/bin/env bash
# Prints how fast cv --copy-to brings a cv.mdb's history into a central database: a cv.mdb of
# ROWS Detail rows (filled by cv_db_bench), copied into a fresh database of a private PostgreSQL
# server per round; median rows/s of ROUNDS rounds (at least 3) with min-max. Builds its own
# Release tree with the test support, which starts the server.
#   bench/run-copy-to-bench.sh [ROWS] [ROUNDS]   (default 1000000 3; BUILD_DIR overrides build-bench-pg)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench-pg}
rows=${1:-1000000}
rounds=${2:-3}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCV_BUILD_TESTS=ON >/dev/null
ninja -C "$build" cv cv_database cv_db_bench cv_copy_to_bench >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bin/cv_db_bench" fill "$work" "$rows" >/dev/null
rm -f "$work/bare.mdb"
"$build/bin/cv_copy_to_bench" "$work" "$rounds"
