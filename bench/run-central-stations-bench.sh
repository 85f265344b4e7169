#!/usr/bin/env bash
# Many stations writing into one central database at once, as a site's file servers would:
#  1. STATIONS stations (default 8) set up with cv --init-database, each owning a server of its
#     own (BENCH1, BENCH2, ...) over one tree of FOLDERS x FILES files (default 2000 x 50);
#  2. their Detail tables filled with 300 earlier days' rows, a day after the other as runs
#     write them, so that with the day's scans the database holds ROWS Detail rows (default
#     10,000,000);
#  3. every station's cv --scan started at the same moment (under nice: the stations are
#     other machines, whose scanning should not take this one's CPU from the server and the
#     console as it would here), and while they write, the query
#     window of a console running "SELECT * FROM Detail" again and again: the time to its first
#     rows shown, as median, min and max (target: within 1 s), and when the whole count came;
#  4. every row checked: each station's Detail holds its earlier rows and the day's files, and
#     none of another station's server;
#  5. Purge Today of one station at ROWS Detail rows, as cv --purge-today --yes, ROUNDS times
#     with a scan of the day between (target: within 2 s);
#  6. the run's auto-purge of one station, by the scan's own step timing, with few and with
#     many rows of its own (target: a time that does not grow with the rows).
# Starts its own PostgreSQL 15 in a temporary folder (as the account "nobody" when run as root,
# fsync off as for the tests) and stops it by its pid at the end.
#   bench/run-central-stations-bench.sh [STATIONS FOLDERS FILES ROWS [ROUNDS]]   (ROUNDS default 3)
#   BUILD_DIR=build bench/...    uses an existing build instead of building build-scan-bench
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-scan-bench}
stations=${1:-8}
folders=${2:-2000}
files=${3:-50}
rows=${4:-10000000}
rounds=${5:-3}
bin=$build/bin
scanned=$((folders * files))

if [ -z "${BUILD_DIR:-}" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCV_BUILD_TESTS=OFF >/dev/null
fi
ninja -C "$build" cv cv_database cv_scan_bench cv_query_bench >/dev/null

work=$(mktemp -d)
chmod 755 "$work"
source "$root/scripts/private-postgres.sh"
trap 'stop_private_postgres "$work"; rm -rf "$work"' EXIT
start_private_postgres "$work" bench -c fsync=off -c shared_buffers=2GB -c max_connections=40
sql() { psql -X -q -v ON_ERROR_STOP=1 -h "$work/socket" -U bench "$@"; }
sql -d postgres -c 'CREATE DATABASE audit'
sql -d audit -c 'CREATE EXTENSION citext'
central="host=$work/socket user=bench dbname=audit"

stats() { sort -n | awk '{ v[NR] = $1 } END { printf "median %.3f s (min %.3f, max %.3f, %d runs)", v[int((NR + 1) / 2)], v[1], v[NR], NR }'; }

"$bin/cv_scan_bench" make "$work/tree" "$folders" "$files"
# Each station runs in a home of its own: its settings, and a netware.conf naming its own server
# over the shared tree.
homeOf() { echo "$work/home$1"; }
inHome() {
    local station=$1
    shift
    CORVANE_NET_HOME=$(homeOf "$station") CORVANE_NET_REGISTRY=$(homeOf "$station")/registry \
        "$bin/cv" --database "$central" --station "s$station" "$@"
}
for s in $(seq "$stations"); do
    mkdir -p "$(homeOf "$s")"
    printf '[server BENCH%d]\nversion = 3.12\nvolume VOL = %s/tree/vol\n' "$s" "$work" >"$(homeOf "$s")/netware.conf"
    cp "$bin/cv.mdb" "$(homeOf "$s")/cv.mdb"
    inHome "$s" --add-path "\\\\BENCH$s\\VOL" >/dev/null
    inHome "$s" --init-database >/dev/null
done

earlier=$(((rows - stations * scanned) / stations))
echo "PostgreSQL $("$private_postgres_bin/postgres" --version | awk '{print $3}'): $stations stations, $scanned files each, $earlier earlier Detail rows each"
start=$(date +%s.%N)
for s in $(seq "$stations"); do
    sql -d audit <<SQL &
INSERT INTO station_s$s.detail (directory, created, owner, lastaccess, lastarchive, archivor, lastedit, editor, file, sysdate, bytes)
SELECT '\\\\BENCH$s\\VOL:OLD/DIR' || (i % 5000), timestamp '2026-01-01' + (i % 86400) * interval '37 seconds',
       'USER' || (i % 97), date '2026-01-01' + (i % 300), NULL, NULL,
       timestamp '2026-06-01' + (i::bigint * 7919 % 1000000) * interval '1 second', 'user' || (i % 89),
       'File' || md5(i::text) || '.dat', date '2026-01-01' + (i::bigint * 300 / $earlier)::int, (i::bigint * 104729) % 10000000
FROM generate_series(1, $earlier) AS i;
SQL
    fills+=($!)
done
# A fill that failed shows in the counts checked below.
for pid in "${fills[@]}"; do wait "$pid" 2>/dev/null || true; done
sql -d audit -c 'VACUUM ANALYZE'
echo "  earlier rows written in $(echo "$start $(date +%s.%N)" | awk '{ printf "%.0f", $2 - $1 }') s"

# 3. All stations at once, and a console reading while they write.
for s in $(seq "$stations"); do
    (
        begin=$(date +%s.%N)
        nice -n 19 env CORVANE_NET_HOME="$(homeOf "$s")" CORVANE_NET_REGISTRY="$(homeOf "$s")/registry" \
            "$bin/cv" --database "$central" --station "s$s" --scan >"$work/scan$s.log" 2>&1 || { echo "station s$s: cv --scan failed" >&2; cat "$work/scan$s.log" >&2; exit 1; }
        echo "$begin $(date +%s.%N)" >"$work/scan$s.time"
    ) &
    scans+=($!)
done
"$bin/cv_query_bench" first "$central" 36000 >"$work/pages" 2>"$work/pages.log" &
reader=$!
trap '[ -n "$reader" ] && kill "$reader"; stop_private_postgres "$work"; rm -rf "$work"' EXIT
for pid in "${scans[@]}"; do wait "$pid" 2>/dev/null || true; done
kill "$reader"
wait "$reader" 2>/dev/null || true
reader=
[ "$(ls "$work"/scan*.time 2>/dev/null | wc -l)" = "$stations" ] || { echo "not every station's scan completed" >&2; exit 1; }
cat "$work"/scan*.time | awk -v n="$scanned" '
    NR == 1 || $1 < first { first = $1 } $2 > last { last = $2 }
    { rate = n / ($2 - $1); if (NR == 1 || rate < slowest) slowest = rate }
    END { printf "  %d scans at once: all done in %.1f s, %d files/s together, slowest station %d files/s\n", NR, last - first, NR * n / (last - first), slowest }'
[ -s "$work/pages" ] || { echo "the scans were over before the console's first statement; more files, please" >&2; exit 1; }
echo "  console, Run SQL of SELECT * FROM Detail to first rows shown, while they write: $(awk '{ print $1 }' "$work/pages" | stats)"
echo "    (the count it showed went from $(head -1 "$work/pages" | awk '{ print $2 }') to $(tail -1 "$work/pages" | awk '{ print $2 }') rows)"
timeout 60 "$bin/cv_query_bench" first "$central" 5 >"$work/pages" 2>"$work/pages.log"
echo "  the same with nobody writing: $(awk '{ print $1 }' "$work/pages" | stats)"
echo "    and then the whole count: $(grep '^status' "$work/pages.log")"

# 4. Every row where it belongs.
for s in $(seq "$stations"); do
    sql -d audit -At -c "SELECT count(*), count(*) FILTER (WHERE sysdate = current_date),
                                count(*) FILTER (WHERE directory NOT LIKE '\\\\\\\\BENCH$s\\\\%')
                         FROM station_s$s.detail" |
        awk -F'|' -v s="$s" -v want=$((earlier + scanned)) -v today="$scanned" '
            $1 != want || $2 != today || $3 != 0 { printf "station s%d: %d rows, %d of today, %d of another server\n", s, $1, $2, $3; exit 1 }'
done
echo "  every station: $((earlier + scanned)) Detail rows, $scanned of today, none of another server; $(sql -d audit -At -c 'SELECT count(*) FROM corvane.detail') in all"

# 5. Purge Today of station 1, with a scan of the day before each.
for round in $(seq "$rounds"); do
    [ "$round" -gt 1 ] && inHome 1 --scan >/dev/null 2>&1
    begin=$(date +%s.%N)
    inHome 1 --purge-today --yes >"$work/purge.log" 2>&1 || { cat "$work/purge.log" >&2; exit 1; }
    echo "$begin $(date +%s.%N)" | awk '{ printf "%.3f\n", $2 - $1 }'
done >"$work/purges"
echo "  Purge Today of one station ($scanned rows of the day) at $rows Detail rows: $(stats <"$work/purges")"

# 6. The run's auto-purge, by its step time: once with the station's earlier rows and the day's
# scan, then with the day's scan alone.
autoPurgeSeconds() {
    local station=$1
    # Kept for no day: the settings as loaded put PurgeDate at today, so the run purges first.
    printf '\n[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Corvane Net\\Misc]\n"AutoPurge"="1"\n"DaysToKeep"="0"\n' \
        >>"$(homeOf "$station")/registry/HKEY_CURRENT_USER.reg"
    # Without the day's LastScan the run does not stop to ask about the day's rows, which stay.
    sed -i '/"LastScan"=/d' "$(homeOf "$station")/registry/HKEY_CURRENT_USER.reg"
    CORVANE_NET_TIMINGS=1 inHome "$station" --scan 2>&1 | awk '$1 == "purge" { print $2 }'
}
inHome 1 --scan >/dev/null 2>&1
# At night, long after the rows went in: autovacuum is not at the tables the purge empties.
sql -d audit -c 'VACUUM'
before=$(sql -d audit -At -c 'SELECT count(*) FROM station_s1.detail')
many=$(autoPurgeSeconds 1)
after=$(sql -d audit -At -c 'SELECT count(*) FROM station_s1.detail')
few=$(autoPurgeSeconds 1)
echo "  auto-purge of one station: $many s for $before Detail rows of its own, $few s for $after"
