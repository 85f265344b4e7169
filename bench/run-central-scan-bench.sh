#!/usr/bin/env bash
# `cv --scan` into a central PostgreSQL database against the same scan into cv.mdb, over one tree
# of FOLDERS folders of FILES files (every event of every file today, all tables on): files per
# second of each, taking turns within each round, as the median of ROUNDS rounds with min and max,
# and the central database's share of cv.mdb's rate (target: at least 60 %). Each central round
# scans as a station of its own, set up with cv --init-database before the clock starts.
# Starts its own PostgreSQL 15 in a temporary folder (as the account "nobody" when run as root,
# fsync off as for the tests) and stops it by its pid at the end.
#   bench/run-central-scan-bench.sh [FOLDERS FILES [ROUNDS]]   (default 2000 x 50, 5 rounds)
#   BUILD_DIR=build bench/...    uses an existing build instead of building build-scan-bench
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-scan-bench}
folders=${1:-2000}
files=${2:-50}
rounds=${3:-5}
bin=$build/bin

if [ -z "${BUILD_DIR:-}" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCV_BUILD_TESTS=OFF >/dev/null
fi
ninja -C "$build" cv cv_database cv_scan_bench >/dev/null

work=$(mktemp -d)
source "$root/scripts/private-postgres.sh"
trap 'stop_private_postgres "$work"; rm -rf "$work"' EXIT
start_private_postgres "$work" bench -c fsync=off -c shared_buffers=256MB
psql -X -q -v ON_ERROR_STOP=1 -h "$work/socket" -U bench -d postgres -c 'CREATE DATABASE audit' 
psql -X -q -v ON_ERROR_STOP=1 -h "$work/socket" -U bench -d audit -c 'CREATE EXTENSION citext'
central="host=$work/socket user=bench dbname=audit"

"$bin/cv_scan_bench" make "$work/tree" "$folders" "$files"
total=$((folders * files))
# The whole program runs in the tree's own folder, beside the netware.conf that names the volume.
home=$work/tree

# Prints the files per second of one whole-program run into the named database.
scanInto() {
    local database=$1 station=$2
    rm -rf "$home/registry"
    export CORVANE_NET_HOME=$home CORVANE_NET_REGISTRY=$home/registry
    "$bin/cv" --add-path '\\BENCH\VOL' >/dev/null
    cp "$bin/cv.mdb" "$home/cv.mdb"
    [ -n "$database" ] && "$bin/cv" --database "$database" --station "$station" --init-database >/dev/null
    sync
    local start end
    start=$(date +%s.%N)
    "$bin/cv" ${database:+--database "$database" --station "$station"} --scan >/dev/null 2>&1 ||
        { echo "cv --scan into ${database:-cv.mdb} failed" >&2; exit 1; }
    end=$(date +%s.%N)
    echo "$total $start $end" | awk '{ printf "%.0f\n", $1 / ($3 - $2) }'
}
: >"$work/local"
: >"$work/central"
for round in $(seq "$rounds"); do
    scanInto "" "" >>"$work/local"
    scanInto "$central" "round$round" >>"$work/central"
done

summary() { sort -n "$1" | awk '{ v[NR] = $1 } END { printf "median %d files/s (%d-%d)", v[int((NR + 1) / 2)], v[1], v[NR] }'; }
median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
echo "$total files, $rounds rounds taking turns:"
echo "  cv --scan into cv.mdb:            $(summary "$work/local")"
echo "  cv --scan into PostgreSQL:        $(summary "$work/central")"
echo "  PostgreSQL / cv.mdb (medians):    $(awk -v c="$(median "$work/central")" -v l="$(median "$work/local")" 'BEGIN { printf "%.0f %%", 100 * c / l }') (target >= 60 %)"
