#!/usr/bin/env bash
# How the query window should page a sorted result on PostgreSQL: over ROWS Detail rows in the
# tables of data/postgresql/tables.sql, the time to the first page (100 rows) of
# "SELECT * FROM Detail ORDER BY <key>" and to a page in the middle, by a scroll cursor, by
# LIMIT/OFFSET and by keyset on (key, rowid). Prints the median of 7 runs with min-max, in ms,
# as psql's \timing measures them (server work and transfer, no rendering).
# Starts its own PostgreSQL 15 in a temporary folder (as the account "nobody" when run as
# root) and stops it by its pid at the end.
#   bench/run-postgres-paging-bench.sh [ROWS]     (default 1000000)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
rows=${1:-1000000}
runs=7
page=100

work=$(mktemp -d)
source "$root/scripts/private-postgres.sh"
trap 'stop_private_postgres "$work"; rm -rf "$work"' EXIT
start_private_postgres "$work" bench -c fsync=off -c shared_buffers=256MB -c work_mem=16MB

sql() { psql -X -q -v ON_ERROR_STOP=1 -h "$work/socket" -U bench -d postgres "$@"; }
sql -c 'CREATE EXTENSION citext' -f "$root/data/postgresql/tables.sql"
sql <<SQL
INSERT INTO detail (directory, created, owner, lastaccess, lastarchive, archivor, lastedit, editor, file, sysdate, bytes)
SELECT '\\VOL1\\DIR' || (i % 5000), timestamp '2026-01-01' + (i % 86400) * interval '37 seconds',
       'USER' || (i % 97), date '2026-01-01' + (i % 300), NULL, NULL,
       timestamp '2026-06-01' + (i::bigint * 7919 % 1000000) * interval '1 second', 'user' || (i % 89),
       'File' || md5(i::text) || '.dat', date '2026-12-01' + (i % 7), (i::bigint * 104729) % 10000000
FROM generate_series(1, $rows) AS i;
VACUUM ANALYZE detail;
SQL

middle=$((rows / 2))
# One timed run: the sum of psql's "Time:" lines of the statements given.
timed() { { echo '\timing on'; cat; } | sql | awk '/^Time:/ { total += $2 } END { printf "%.1f\n", total }'; }
stats() { sort -n | awk '{ v[NR] = $1 } END { printf "median %8.1f ms  (min %.1f, max %.1f)\n", v[int((NR + 1) / 2)], v[1], v[NR] }'; }

measure() {
    local label=$1
    shift
    printf '%-44s ' "$label"
    for _ in $(seq $runs); do "$@" | timed; done | stats
}

cursor_first() { printf 'BEGIN READ ONLY;\nDECLARE c SCROLL CURSOR WITHOUT HOLD FOR SELECT * FROM detail ORDER BY %s;\nFETCH %d FROM c;\n\\timing off\nCOMMIT;\n' "$1" $page; }
cursor_middle() { printf 'BEGIN READ ONLY;\nDECLARE c SCROLL CURSOR WITHOUT HOLD FOR SELECT * FROM detail ORDER BY %s;\nFETCH %d FROM c;\nMOVE ABSOLUTE %d IN c;\nFETCH %d FROM c;\n\\timing off\nCOMMIT;\n' "$1" $page $middle $page; }
offset_page() { printf 'SELECT * FROM detail ORDER BY %s LIMIT %d OFFSET %d;\n' "$1" $page "$2"; }
keyset_middle() {
    # The key of the row before the page, as the window knows it from the page it shows.
    local key
    key=$(sql -At -c "SELECT quote_literal($2) || ', ' || rowid FROM detail ORDER BY $1, rowid LIMIT 1 OFFSET $((middle - 1))")
    printf 'SELECT * FROM detail WHERE (%s, rowid) > (%s) ORDER BY %s, rowid LIMIT %d;\n' "$1" "$key" "$1" $page
}

echo "PostgreSQL $("$private_postgres_bin/postgres" --version | awk '{print $3}'), $rows Detail rows, pages of $page"
for key in file bytes; do
    cast=$key
    [ "$key" = file ] && cast='file::text'
    echo "ORDER BY $key"
    measure "  scroll cursor, first page" cursor_first "$key"
    measure "  scroll cursor, first page + middle page" cursor_middle "$key"
    measure "  LIMIT/OFFSET, first page" offset_page "$key" 0
    measure "  LIMIT/OFFSET, middle page" offset_page "$key" "$middle"
    measure "  keyset (key, rowid), first page" offset_page "$key, rowid" 0
    measure "  keyset (key, rowid), middle page" keyset_middle "$key" "$cast"
done
