#!/usr/bin/env bash
# Load test: a `cv --scan` loop and a `cv --query` loop against the same cv.mdb for SECONDS
# (default 240). Each scan run records FOLDERS x FILES files (default 40 x 50) in one transaction;
# each query reads the row counts of the four per-file tables in one statement, so it sees one
# moment of the file: the counts must be equal and a multiple of the run's files, or the reader
# saw part of a run. Neither loop may fail, nor report the file as locked or in use. At the end
# cv.mdb must pass PRAGMA integrity_check and hold exactly the rows of the runs that succeeded.
#   bench/run-load-test.sh [SECONDS [FOLDERS FILES]]
# BUILD_DIR names an already configured build tree to use; without it a Release tree is built in
# build-load-test.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-240}
folders=${2:-40}
files=${3:-50}
if [ -n "${BUILD_DIR:-}" ]; then
    build=$BUILD_DIR
else
    build=$root/build-load-test
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCV_BUILD_TESTS=OFF >/dev/null
fi
ninja -C "$build" cv cv_database cv_scan_bench >/dev/null
bin=$build/bin
perRun=$((folders * files))

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
"$bin/cv_scan_bench" make "$tree" "$folders" "$files" >/dev/null # tree/vol, server BENCH volume VOL
cp "$bin/cv.mdb" "$tree/cv.mdb"
export CORVANE_NET_HOME=$tree
# Every run starts from the same path list without LastScan, so no run asks about today's data.
CORVANE_NET_REGISTRY=$tree/registry-template "$bin/cv" --add-path '\\BENCH\VOL' >/dev/null

counts="SELECT (SELECT Count(*) FROM Detail) AS D, (SELECT Count(*) FROM NewFiles) AS N,
        (SELECT Count(*) FROM OpenedFiles) AS O, (SELECT Count(*) FROM EditedFiles) AS E FROM Temp"
deadline=$((SECONDS + seconds))

scanLoop() {
    local runs=0 failed=0 started
    while [ $SECONDS -lt $deadline ]; do
        rm -rf "$tree/registry"
        cp -r "$tree/registry-template" "$tree/registry"
        started=$(date +%s.%N)
        if CORVANE_NET_REGISTRY=$tree/registry "$bin/cv" --scan >"$tree/scan.out" 2>"$tree/scan.err"; then
            runs=$((runs + 1))
            echo "$(date +%s.%N) - $started" | bc >>"$tree/scan.times"
        else
            failed=$((failed + 1))
            { echo "--- scan failed (exit $?)"; tail -3 "$tree/scan.err"; } >>"$tree/failures"
        fi
        grep -Ei 'locked|in use' "$tree/scan.err" >>"$tree/locked" || true
    done
    echo "$runs $failed" >"$tree/scan.result"
}

queryLoop() {
    local queries=0 failed=0 partial=0 line d n o e
    while [ $SECONDS -lt $deadline ]; do
        if CORVANE_NET_REGISTRY=$tree/registry-template "$bin/cv" --query "$counts" >"$tree/query.out" \
            2>"$tree/query.err"; then
            queries=$((queries + 1))
            # No row before the first run commits its snapshot (Temp): nothing to compare yet.
            line=$(sed -n 2p "$tree/query.out" | tr -d '"\r')
            if [ -n "$line" ]; then
                IFS=, read -r d n o e <<<"$line"
                if [ "$d" != "$n" ] || [ "$d" != "$o" ] || [ "$d" != "$e" ] || [ $((d % perRun)) -ne 0 ]; then
                    partial=$((partial + 1))
                    echo "--- partial run seen: $line" >>"$tree/failures"
                fi
            fi
        else
            failed=$((failed + 1))
            { echo "--- query failed"; cat "$tree/query.err"; } >>"$tree/failures"
        fi
        grep -Ei 'locked|in use' "$tree/query.err" >>"$tree/locked" || true
    done
    echo "$queries $failed $partial" >"$tree/query.result"
}

touch "$tree/failures" "$tree/locked" "$tree/scan.times"
echo "load test: ${seconds} s, $perRun files per run, scan and query loops on one cv.mdb"
scanLoop &
scanner=$!
queryLoop &
reader=$!
wait "$scanner" "$reader"

read -r runs scanFailed <"$tree/scan.result"
read -r queries queryFailed partial <"$tree/query.result"
integrity=$(sqlite3 "$tree/cv.mdb" "PRAGMA integrity_check")
detail=$(sqlite3 "$tree/cv.mdb" "SELECT count(*) FROM Detail")
echo "scan runs:   $runs completed, $scanFailed failed"
if [ "$runs" -gt 0 ]; then
    sort -n "$tree/scan.times" | awk '{ t[NR] = $1; s += $1 } END {
        printf "             run time mean %.2f s, median %.2f s, longest %.2f s\n", s / NR, t[int((NR + 1) / 2)], t[NR] }'
fi
echo "queries:     $queries completed, $queryFailed failed, $partial saw part of a run"
echo "locked:      $(wc -l <"$tree/locked") messages of a locked or busy file"
echo "cv.mdb:      integrity $integrity, $detail Detail rows ($((runs * perRun)) expected), $(du -h "$tree/cv.mdb" | cut -f1)"
if [ -s "$tree/failures" ]; then
    echo "failures:"
    head -40 "$tree/failures"
fi
[ "$scanFailed" -eq 0 ] && [ "$queryFailed" -eq 0 ] && [ "$partial" -eq 0 ] && [ "$integrity" = ok ] &&
    [ "$detail" -eq $((runs * perRun)) ] && [ ! -s "$tree/locked" ]
