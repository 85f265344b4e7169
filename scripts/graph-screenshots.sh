#!/usr/bin/env bash
# Takes the README's chart pictures, docs/graph-file-activity-line.png (flat line chart) and
# docs/graph-file-activity-3d-bar.png (3D bar chart), over demo data, under Xvfb.
#
# The data: a scan of the demo network records one real day of DirActivity rows. The four days
# before it are derived from that day's rows, each column scaled by a fixed factor per day (the
# table below), so the chart has five days, a first and a last one to label, and series that
# move apart. All of it happens in a temporary application folder with its own settings; the
# cv.mdb beside the build and the user's settings stay untouched.
#
#   scripts/graph-screenshots.sh [build folder]      (default build-shots)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-shots}
# A folder of its own is configured without tests; an existing one is taken as it is.
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja -DCV_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target cv cv_graph_shot cv_database cv_demo_network

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cp "$build/data/cv.mdb" "$home/cv.mdb"
cp -r "$build/bin/demo" "$home/demo"
mkdir -m 700 "$home/registry" "$home/runtime"
export CORVANE_NET_HOME="$home/" CORVANE_NET_REGISTRY="$home/registry" XDG_RUNTIME_DIR="$home/runtime"

QT_QPA_PLATFORM=offscreen "$build/bin/cv" --demo >/dev/null
QT_QPA_PLATFORM=offscreen "$build/bin/cv" --scan >/dev/null 2>&1

today=$(sqlite3 "$home/cv.mdb" "SELECT MAX(SysDate) FROM DirActivity")
[ -n "$today" ] || { echo "the demo scan tallied no day" >&2; exit 1; }
sqlite3 "$home/cv.mdb" <<SQL
INSERT INTO DirActivity (Directory, SysDate, Deleted, Created, Modified, Opened, Archived)
SELECT a.Directory, date(a.SysDate, '-' || f.back || ' day'),
       CAST(round(a.Deleted * f.d) AS INTEGER), CAST(round(a.Created * f.c) AS INTEGER),
       CAST(round(a.Modified * f.m) AS INTEGER), CAST(round(a.Opened * f.o) AS INTEGER),
       CAST(round(a.Archived * f.r) AS INTEGER)
FROM DirActivity a,
     (SELECT 1 AS back, 0.7 AS d, 1.3 AS c, 0.6 AS m, 1.2 AS o, 0.3 AS r
      UNION ALL SELECT 2, 1.3, 2.0, 1.4, 0.8, 1.0
      UNION ALL SELECT 3, 0.3, 1.0, 2.0, 1.5, 0.7
      UNION ALL SELECT 4, 1.0, 0.7, 1.0, 0.6, 1.3) f
WHERE a.SysDate = '$today';
SQL

start=$(date -d "$today -4 day" +%m/%d/%y)
end=$(date -d "$today" +%m/%d/%y)
shoot() {
    QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
        "$build/bin/cv_graph_shot" "$1" "File Activity" "$start" "$end" "$2" "$3"
}
shoot docs/graph-file-activity-line.png Line 2D
shoot docs/graph-file-activity-3d-bar.png Bar 3D
echo "Wrote docs/graph-file-activity-line.png and docs/graph-file-activity-3d-bar.png"
