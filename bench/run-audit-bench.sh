#!/usr/bin/env bash
# Prints the audit-trail figures of a Samba volume: a 1,000,000-record full_audit log (about
# 150 MB) read into the server's store (target >= 300,000 records/s, peak < 100 MiB), then a
# second reading, which must read no record again. Then logs no record is as long as: 300 MB of
# NULs without a line end (what a file written past its end holds), and an unfinished line of
# 200 MB read twice, the second time after 1 MB more: time and peak memory must not grow with the
# line, and the second reading must not read the line again. Builds its own Release tree.
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

rm -rf "$work"/*
head -c 300M /dev/zero > "$work/audit.log"
echo "300 MB of NULs without a line end:"
"$build/bin/cv_audit_bench" read "$work"

rm -rf "$work"/*
head -c 200M /dev/zero | tr '\0' x > "$work/audit.log"
echo "an unfinished line of 200 MB:"
"$build/bin/cv_audit_bench" read "$work"
head -c 1M /dev/zero | tr '\0' x >> "$work/audit.log"
echo "the same, 1 MB longer:"
"$build/bin/cv_audit_bench" read "$work"
