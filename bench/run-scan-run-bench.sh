#!/usr/bin/env bash
# Prints the figures of `cv --scan` over a 100,000-file emulated volume (2000 folders of 50 files,
# every file with events today, all tables on) into a cv.mdb that already holds earlier scan days:
# once with 1 day of history and once with DAYS (default 30: 3,000,000 Detail rows). For each: wall
# time of the whole program, its peak memory, and the time and share of the daily tally and the
# directory steps (comparison and snapshot rebuild), from CORVANE_NET_TIMINGS.
# Targets: tally and directory steps under 10 % of the run and not growing with the history;
# peak memory under 150 MiB. Builds its own Release tree.
#   bench/run-scan-run-bench.sh [DAYS]   (BUILD_DIR overrides build-run-bench)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-run-bench}
days=${1:-30}
bin=$build/bin

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCV_BUILD_TESTS=OFF >/dev/null
ninja -C "$build" cv cv_database cv_scan_bench >/dev/null

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
"$bin/cv_scan_bench" make "$tree" 2000 50 # tree/vol and tree/netware.conf: server BENCH, volume VOL
export CORVANE_NET_HOME=$tree CORVANE_NET_REGISTRY=$tree/registry

step() { awk -v name="$1" '$1 == name { print $2 }' "$tree/timings"; }

measure() {
    local history=$1
    cp "$bin/cv.mdb" "$tree/cv.mdb"
    local start=$SECONDS
    sqlite3 "$tree/cv.mdb" ".parameter set :days $history" ".read $root/bench/scan-run-history.sql"
    local built=$((SECONDS - start))
    local rows
    rows=$(sqlite3 "$tree/cv.mdb" "SELECT count(*) FROM Detail")
    rm -rf "$tree/registry"
    "$bin/cv" --add-path '\\BENCH\VOL' >/dev/null
    CORVANE_NET_TIMINGS=1 /usr/bin/time -f '%e %M' -o "$tree/time" "$bin/cv" --scan \
        >"$tree/summary" 2>"$tree/timings"
    read -r wall peak <"$tree/time"
    local run scan tally directories snapshot
    run=$(step run) scan=$(step scan) tally=$(step tally) directories=$(step directories) snapshot=$(step snapshot)
    echo "history: $history earlier days, $rows Detail rows before the run (built in ${built} s)"
    echo "  cv --scan: $(cat "$tree/summary")"
    printf '  wall time %8.2f s, peak memory %6.1f MiB (target < 150 MiB)\n' "$wall" "$(echo "$peak / 1024" | bc -l)"
    printf '  file scan %8.2f s\n' "$scan"
    printf '  tally     %8.3f s, directory comparison %.3f s, snapshot rebuild %.3f s\n' \
        "$tally" "$directories" "$snapshot"
    printf '  tally and directory steps: %.3f s = %.1f %% of the run (target < 10 %%)\n' \
        "$(echo "$tally + $directories + $snapshot" | bc -l)" \
        "$(echo "100 * ($tally + $directories + $snapshot) / $run" | bc -l)"
    sqlite3 "$tree/cv.mdb" "SELECT '  written today: ' || (SELECT count(*) FROM DirActivity WHERE SysDate = date('now','localtime')) || ' DirActivity, ' || (SELECT count(*) FROM NewDirs) || ' NewDirs, ' || (SELECT count(*) FROM DeletedDirs) || ' DeletedDirs, ' || (SELECT count(*) FROM Temp) || ' snapshot rows'"
}

measure 1
measure "$days"
