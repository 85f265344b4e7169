#!/usr/bin/env bash
# Prints the audit-trail figures of a Samba volume: a 1,000,000-record full_audit log (about
# 150 MB) read into the server's store (target >= 300,000 records/s, peak < 100 MiB), then a
# second reading, which must read no record again. Builds its own Release tree.
#   bench/run-audit-bench.sh [RECORDS]     (default 1000000; BUILD_DIR overrides build-bench)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
records=${1:-1000000}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCV_BUILD_TESTS=OFF >/dev/null
ninja -C "$build" cv_audit_bench >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bin/cv_audit_bench" generate "$work" "$records"
echo "first reading:"
"$build/bin/cv_audit_bench" read "$work"
echo "second reading:"
"$build/bin/cv_audit_bench" read "$work"
