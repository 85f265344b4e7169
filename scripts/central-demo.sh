#!/usr/bin/env bash
# Two stations, one central audit database: starts a private PostgreSQL 15 (its own folder,
# socket and port; run as the account "nobody" when the script runs as root), sets it up with
# cv --init-database for two stations, and lets them scan into it at the same time: station
# "demo-network" scans the bundled demo NetWare network, and the Samba station (this host's
# name) scans a private Samba share that two users work on (scripts/samba-demo.sh). Then a
# third desktop, with an application folder of its own and no scan of its own, lists both
# servers' rows with cv --query. The servers are stopped when the script ends, however it ends.
# Needs root (for the Samba share's accounts).
#   scripts/central-demo.sh            builds cv in build-app/ first (as scripts/run.sh does)
#   CV=path/to/cv scripts/central-demo.sh   uses that cv
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -ne 0 ]; then
    echo "central-demo: run as root (the Samba share's users are Unix accounts)" >&2
    exit 1
fi
if [ -z "${CV:-}" ]; then
    bash scripts/install-deps.sh
    cmake -S . -B build-app -G Ninja -DCV_BUILD_TESTS=OFF >/dev/null
    cmake --build build-app >/dev/null
    CV=$PWD/build-app/bin/cv
fi
export CV

work=$(mktemp -d /tmp/cv-central-demo.XXXXXX)
source scripts/private-postgres.sh
demo_pid=
stop_all() {
    [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null && wait "$demo_pid" 2>/dev/null
    stop_private_postgres "$work"
    rm -rf "$work"
}
trap stop_all EXIT

echo "Starting a private PostgreSQL in $work"
start_private_postgres "$work" postgres

# As an administrator would: a database owned by a role of its own, citext installed by the
# database's owner, and the two stations set up.
psql -X -q -v ON_ERROR_STOP=1 -h "$work/socket" -U postgres -d postgres <<SQL
CREATE ROLE corvane LOGIN;
CREATE DATABASE audit OWNER corvane;
\c audit
CREATE EXTENSION citext;
SQL
database="host=$work/socket user=corvane dbname=audit"
export CORVANE_NET_DATABASE=$database
echo "Central database: $database"
"$CV" --init-database --station demo-network
"$CV" --init-database

# Station one: the demo network, in an application folder of its own.
demo_home=$work/demo-station
mkdir -p "$demo_home/registry"
(
    export CORVANE_NET_HOME=$demo_home CORVANE_NET_REGISTRY=$demo_home/registry
    "$CV" --demo >/dev/null
    "$CV" --station demo-network --scan
) >"$work/demo-station.log" 2>&1 &
demo_pid=$!

# Station two, at the same time: the Samba share of scripts/samba-demo.sh, as this host.
echo "Both stations scan at once; the Samba station says:"
bash scripts/samba-demo.sh >"$work/samba-station.log" 2>&1 || { cat "$work/samba-station.log" >&2; exit 1; }
grep -E "^(  cvtest|Users|[0-9]+ files|Scan)" "$work/samba-station.log" || true
wait "$demo_pid" || { cat "$work/demo-station.log" >&2; exit 1; }
demo_pid=
echo "The demo-network station says:"
tail -n 3 "$work/demo-station.log"

# A third desktop: nothing of its own but the name of the central database.
desk=$work/console
mkdir -p "$desk/registry"
export CORVANE_NET_HOME=$desk CORVANE_NET_REGISTRY=$desk/registry
echo
echo "== From a third desktop: the new files of both servers, one query"
"$CV" --query "SELECT Directory, file, owner, Bytes FROM NewFiles ORDER BY Directory, file"
echo
echo "== Rows per server"
"$CV" --query "SELECT Left(Directory, InStr(3, Directory, '\\')) AS Server, Count(*) AS Rows FROM Detail GROUP BY Left(Directory, InStr(3, Directory, '\\'))"
