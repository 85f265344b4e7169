#!/usr/bin/env bash
# Prints the scan figures over one tree (FOLDERS folders of FILES files, every event of every file
# today, all tables on), each the median of ROUNDS rounds (default 7) with its min and max; within a
# round the programs take turns, as the machine's own speed drifts by a fifth over a minute:
#   - the bare walk-and-insert program (cv_bare_scan), the practical limit, and its CPU time;
#   - ScanDirectory over \\BENCH\VOL into cv.mdb (target >= 80 % of the bare program);
#   - the whole program, `cv --scan`: wall time, CPU time (user+sys) against the bare program's
#     (target <= 1.5 x), peak memory (target < 100 MiB) and each step's share of the run (target:
#     the steps after the scan <= 10 %), against `aide --init` checking the same metadata
#     (p+u+g+s+m+a+c, no hashes) (target: cv >= 1.5 x aide by the median);
#   - both again on one core (taskset -c 0) (target: cv at least as fast as aide);
#   - `cv --scan` once every event lies on an earlier day, so that it writes Detail rows only.
# With LARGE (FOLDERSxFILES, as 10000x100), the whole program and aide take turns over a second,
# large tree (LARGE_ROUNDS rounds, default ROUNDS): the time per file against the first tree's
# (target: within 1.3 x) and the peak memory (target: flat); LARGE_TREE names a tree already made
# by `cv_scan_bench make` to use instead of making it again. Every run starts after `sync`, so that
# none pays for the writeback of the database the run before it wrote. Builds its own Release tree;
# installs aide with apt-get where it can (as root) and says so where it cannot.
#   bench/run-scan-bench.sh [FOLDERS FILES [LARGE]]
#   (default 2000 x 50; ROUNDS, LARGE_ROUNDS; BUILD_DIR overrides build-scan-bench)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-scan-bench}
folders=${1:-2000}
files=${2:-50}
large=${3:-}
rounds=${ROUNDS:-7}
largeRounds=${LARGE_ROUNDS:-$rounds}
bin=$build/bin

if ! command -v aide >/dev/null && [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
    echo "installing aide for the comparison (apt-get install aide)..."
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends aide >/dev/null 2>&1 || true
fi
command -v aide >/dev/null || echo "aide is not installed and could not be (apt-get install aide as root): no comparison"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCV_BUILD_TESTS=OFF >/dev/null
ninja -C "$build" cv cv_database cv_scan_bench cv_bare_scan >/dev/null

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
"$bin/cv_scan_bench" make "$tree" "$folders" "$files"
"$bin/cv_bare_scan" walk "$tree/vol" >/dev/null # warms the caches
results=$tree/results
mkdir "$results"

# "median (min-max)" of the numbers in a file, one per line.
spread() { sort -g "$1" | awk -v fmt="${2:-%.3g}" '{ v[NR] = $1 } END { printf fmt " (" fmt "-" fmt ")", (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2), v[1], v[NR] }'; }
median() { spread "$1" | cut -d' ' -f1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
# Appends "wall cpu peak-MiB" of the command's run to the file named first.
timed() {
    local into=$1
    shift
    sync
    /usr/bin/time -f '%e %U %S %M' -o "$tree/time" "$@" >/dev/null 2>"$tree/stderr" ||
        { echo "$* failed:" >&2; tail -5 "$tree/stderr" >&2; exit 1; }
    awk '{ printf "%s %.2f %.1f\n", $1, $2 + $3, $4 / 1024 }' "$tree/time" >>"$into"
}
# Each step's share of the runs whose timings the file holds, but the whole run's.
stepShares() {
    local step
    for step in $(awk '{ print $1 }' "$1" | awk '!seen[$0]++' | grep -v '^run$'); do
        awk -v s="$step" '$1 == s { print $4 }' "$1" >"$tree/share"
        printf '    %-12s %s %%\n' "$step" "$(spread "$tree/share")"
    done
}
column() { cut -d' ' -f"$1" "$2" >"$2.$1"; echo "$2.$1"; }

bareRun() {
    cp "$bin/cv.mdb" "$tree/bare.mdb"
    timed "$results/bare" "$bin/cv_bare_scan" insert "$tree/vol" "$tree/bare.mdb"
}
scanDirectoryRun() {
    sync
    "$bin/cv_scan_bench" scan "$tree" | cut -d' ' -f2 >>"$results/scan"
}
# The whole program over its home folder: the path list holds the volume, every table is on, into
# a fresh cv.mdb and registry (a second run of the day would stop at its question). The step
# timings go to "$1.steps".
wholeProgramRun() {
    local home=$1 into=$2
    shift 2
    rm -rf "$home/registry"
    CORVANE_NET_HOME=$home CORVANE_NET_REGISTRY=$home/registry "$bin/cv" --add-path '\\BENCH\VOL' >/dev/null
    cp "$bin/cv.mdb" "$home/cv.mdb"
    CORVANE_NET_TIMINGS=1 CORVANE_NET_HOME=$home CORVANE_NET_REGISTRY=$home/registry \
        timed "$into" "$@" "$bin/cv" --scan
    grep -E '^[a-z]+ +[0-9.]+ s +[0-9.]+ %$' "$tree/stderr" >>"$into.steps"
}
aideRun() {
    local volume=$1 into=$2
    shift 2
    printf 'database_out=file:%s/aide.db\ngzip_dbout=no\nMeta = p+u+g+s+m+a+c\n%s Meta\n' \
        "$tree" "$volume" >"$tree/aide.conf"
    rm -f "$tree/aide.db"
    timed "$into" "$@" aide -c "$tree/aide.conf" --init
}
haveAide() { command -v aide >/dev/null; }

for _ in $(seq "$rounds"); do
    bareRun
    scanDirectoryRun
    wholeProgramRun "$tree" "$results/cv"
    if haveAide; then aideRun "$tree/vol" "$results/aide"; fi
    wholeProgramRun "$tree" "$results/cv1" taskset -c 0
    if haveAide; then aideRun "$tree/vol" "$results/aide1" taskset -c 0; fi
done
found=$((folders * files))

echo "scan of $found files in $folders folders, every event today, all tables on: median (min-max) of $rounds rounds"
bareCpu=$(median "$(column 2 "$results/bare")")
printf '  bare walk and 5 rows a file (cv_bare_scan):  %s s wall, %s s CPU\n' \
    "$(spread "$(column 1 "$results/bare")")" "$(spread "$results/bare.2")"
scanRate=$(median "$results/scan")
printf '  ScanDirectory //BENCH/VOL (cv_scan_bench):   %s files/s (%d%% of bare by the median; target >= 80%%)\n' \
    "$(spread "$results/scan" %.0f)" "$(awk -v r="$scanRate" -v s="$(median "$results/bare.1")" -v n="$found" 'BEGIN { printf "%d", 100 * r * s / n }')"
cvWall=$(median "$(column 1 "$results/cv")")
cvCpu=$(median "$(column 2 "$results/cv")")
printf '  cv --scan, whole program:                    %s s wall, %s s CPU (%s x bare; target <= 1.5), %s MiB peak\n' \
    "$(spread "$results/cv.1")" "$(spread "$results/cv.2")" "$(ratio "$cvCpu" "$bareCpu")" \
    "$(spread "$(column 3 "$results/cv")")"
echo "  cv --scan, share of the run by step (median %; target: all but the scan <= 10 %):"
stepShares "$results/cv.steps"
if haveAide; then
    aideWall=$(median "$(column 1 "$results/aide")")
    printf '  aide --init, metadata only (p+u+g+s+m+a+c):  %s s wall, %s s CPU, %s MiB peak\n' \
        "$(spread "$results/aide.1")" "$(spread "$(column 2 "$results/aide")")" "$(spread "$(column 3 "$results/aide")")"
    paste -d' ' "$results/aide.1" "$results/cv.1" | awk '{ printf "%.3f\n", $1 / $2 }' >"$tree/lead"
    printf '  cv --scan ahead of aide:                     %s x by the medians (per round %s; target >= 1.5)\n' \
        "$(ratio "$aideWall" "$cvWall")" "$(spread "$tree/lead")"
    cv1=$(median "$(column 1 "$results/cv1")")
    aide1=$(median "$(column 1 "$results/aide1")")
    printf '  on one core (taskset -c 0): cv %s s, aide %s s: cv %s x (target >= 1)\n' \
        "$(spread "$results/cv1.1")" "$(spread "$results/aide1.1")" "$(ratio "$aide1" "$cv1")"
fi

"$bin/cv_scan_bench" age "$tree" "$folders" "$files" 30
for _ in $(seq "$rounds"); do wholeProgramRun "$tree" "$results/detail"; done
detailWall=$(median "$(column 1 "$results/detail")")
printf '  cv --scan, events on other days (Detail only): %s s wall, %s s CPU' \
    "$(spread "$results/detail.1")" "$(spread "$(column 2 "$results/detail")")"
if haveAide; then printf ' (%s x aide by the medians)' "$(ratio "$aideWall" "$detailWall")"; fi
echo

if [ -n "$large" ]; then
    largeFolders=${large%x*}
    largeFiles=${large#*x}
    largeFound=$((largeFolders * largeFiles))
    largeTree=${LARGE_TREE:-$tree/large}
    if [ -z "${LARGE_TREE:-}" ]; then
        mkdir "$largeTree"
        "$bin/cv_scan_bench" make "$largeTree" "$largeFolders" "$largeFiles"
    fi
    for _ in $(seq "$largeRounds"); do
        wholeProgramRun "$largeTree" "$results/large"
        if haveAide; then aideRun "$largeTree/vol" "$results/largeAide"; fi
    done
    largeWall=$(median "$(column 1 "$results/large")")
    echo "scan of $largeFound files in $largeFolders folders: median (min-max) of $largeRounds rounds"
    printf '  cv --scan: %s s wall, %s s CPU, %s MiB peak (%s MiB at %d files; target: flat)\n' \
        "$(spread "$results/large.1")" "$(spread "$(column 2 "$results/large")")" \
        "$(spread "$(column 3 "$results/large")")" "$(median "$results/cv.3")" "$found"
    printf '  time per file against %d files: %s x (target <= 1.3)\n' "$found" \
        "$(ratio "$(awk -v w="$largeWall" -v n="$found" 'BEGIN { print w * n }')" "$(awk -v w="$cvWall" -v n="$largeFound" 'BEGIN { print w * n }')")"
    echo "  share of the run by step (median %):"
    stepShares "$results/large.steps"
    if haveAide; then
        printf '  aide --init: %s s wall, %s MiB peak: cv %s x by the medians (target >= 1.5)\n' \
            "$(spread "$(column 1 "$results/largeAide")")" "$(spread "$(column 3 "$results/largeAide")")" \
            "$(ratio "$(median "$results/largeAide.1")" "$largeWall")"
    fi
fi
echo "  load average at the end: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
