#!/usr/bin/env bash
# Prints the directory scan figures, measured in one run over the same tree (FOLDERS folders of
# FILES files, every event of every file today, all tables on):
#   - a plain statx walk and the bare walk-and-insert program (cv_bare_scan), the practical limit;
#   - ScanDirectory over \\BENCH\VOL into cv.mdb (target >= 80 % of the bare program);
#   - the whole program, `cv --scan`, with its wall time and peak memory (target < 100 MiB), and
#     `aide --init` checking the same metadata (p+u+g+s+m+a+c, no hashes) (target: cv >= 1.5 x aide);
#   - `cv --scan` again once every event lies on an earlier day, so that it writes Detail rows only.
# With LARGE_FOLDERS, a second tree of LARGE_FOLDERS x FILES files gives the peak memory of
# `cv --scan` as the tree grows (target: flat). Each rate is the best of three rounds: the machine's
# own noise is larger than the differences measured. Every run starts after `sync`, so that none
# pays for the writeback of the database the run before it wrote. Builds its own Release tree;
# installs aide with apt-get where it can (as root) and says so where it cannot.
#   bench/run-scan-bench.sh [FOLDERS FILES [LARGE_FOLDERS]]
#   (default 2000 x 50; BUILD_DIR overrides build-scan-bench)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-scan-bench}
folders=${1:-2000}
files=${2:-50}
largeFolders=${3:-}
bin=$build/bin

if ! command -v aide >/dev/null && [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
    echo "installing aide for the comparison (apt-get install aide)..."
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends aide >/dev/null 2>&1 || true
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCV_BUILD_TESTS=OFF >/dev/null
ninja -C "$build" cv cv_database cv_scan_bench cv_bare_scan >/dev/null

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
"$bin/cv_scan_bench" make "$tree" "$folders" "$files"
"$bin/cv_bare_scan" walk "$tree/vol" >/dev/null # warms the caches

best() { sort -n | tail -1; }
lowest() { sort -n | head -1; }

# One run of each program; every run starts with no writeback of the run before it pending.
bareRun() {
    cp "$bin/cv.mdb" "$tree/bare.mdb"
    sync
    "$bin/cv_bare_scan" insert "$tree/vol" "$tree/bare.mdb" | cut -d' ' -f2
}
# The volume listed by its UNC name, as an administrator lists it, or by its local folder.
scanRun() {
    sync
    "$bin/cv_scan_bench" scan "$tree" "$@"
}
# The whole program over its own home folder: the path list holds the volume, every table is on.
# Prints "seconds peak-KiB", into a fresh cv.mdb and registry (a second run of the day would stop
# at its question).
wholeProgramRun() {
    local home=$1
    rm -rf "$home/registry"
    CORVANE_NET_HOME=$home CORVANE_NET_REGISTRY=$home/registry "$bin/cv" --add-path '\\BENCH\VOL' >/dev/null
    cp "$bin/cv.mdb" "$home/cv.mdb"
    sync
    CORVANE_NET_HOME=$home CORVANE_NET_REGISTRY=$home/registry \
        /usr/bin/time -f '%e %M' -o "$home/time" "$bin/cv" --scan >/dev/null 2>&1 ||
        { echo "cv --scan failed" >&2; exit 1; }
    cat "$home/time"
}
aideRun() {
    rm -f "$tree/aide.db"
    sync
    /usr/bin/time -f '%e' -o "$tree/time" aide -c "$tree/aide.conf" --init >/dev/null || true
    cat "$tree/time"
}

if command -v aide >/dev/null; then
    printf 'database_out=file:%s/aide.db\ngzip_dbout=no\nMeta = p+u+g+s+m+a+c\n%s/vol Meta\n' \
        "$tree" "$tree" >"$tree/aide.conf"
fi

# The machine's own speed drifts by a fifth over a minute here, so the programs take turns within
# each round rather than running their rounds one after the other.
results=$tree/results
mkdir "$results"
for _ in 1 2 3; do
    "$bin/cv_bare_scan" walk "$tree/vol" | cut -d' ' -f2 >>"$results/walk"
    bareRun >>"$results/bare"
    scanRun >>"$results/scan"
    scanRun "$tree/vol" >>"$results/local"
    wholeProgramRun "$tree" >>"$results/cv"
    if [ -f "$tree/aide.conf" ]; then aideRun >>"$results/aide"; fi
done
walk=$(best <"$results/walk")
bare=$(best <"$results/bare")
scan=$(cut -d' ' -f2 "$results/scan" | best)
localScan=$(cut -d' ' -f2 "$results/local" | best)
found=$(head -1 "$results/scan" | cut -d' ' -f1)
peak=$(cat "$results/scan" "$results/local" | cut -d' ' -f3 | best)
start=$(cut -d' ' -f4 "$results/scan" | lowest)
read -r cvSeconds cvPeak < <(lowest <"$results/cv")
aideSeconds=""
[ -f "$results/aide" ] && aideSeconds=$(lowest <"$results/aide")

"$bin/cv_scan_bench" age "$tree" "$folders" "$files" 30
read -r detailSeconds detailPeak < <(for _ in 1 2 3; do wholeProgramRun "$tree"; done | lowest)

rate() { echo "$found / $1" | bc; }
mib() { echo "scale=1; $1 / 1024" | bc; }
cvRate=$(rate "$cvSeconds")

echo "directory scan, $found files in $folders folders, every event today, all tables on (best of 3)"
printf '  plain statx walk (cv_bare_scan walk):        %7d files/s\n' "$walk"
printf '  bare walk and 5 rows a file (insert):        %7d files/s\n' "$bare"
printf '  ScanDirectory //BENCH/VOL (cv_scan_bench):   %7d files/s  (%d%% of bare; target >= 80%%)\n' \
    "$scan" $((100 * scan / bare))
printf '  ScanDirectory local path:                    %7d files/s  (%d%% of bare)\n' \
    "$localScan" $((100 * localScan / bare))
printf '  peak memory of ScanDirectory:                %7s MiB\n' "$peak"
printf '  cv --scan, whole program:                    %7d files/s  (%s s, %s MiB; target < 100 MiB)\n' \
    "$cvRate" "$cvSeconds" "$(mib "$cvPeak")"
if [ -n "$aideSeconds" ]; then
    aideRate=$(rate "$aideSeconds")
    printf '  aide --init, metadata only (p+u+g+s+m+a+c): %7d files/s  (%s s; cv --scan is %s x; target >= 1.5)\n' \
        "$aideRate" "$aideSeconds" "$(echo "scale=2; $aideSeconds / $cvSeconds" | bc)"
else
    echo "  aide --init: not measured, aide is not installed and could not be (apt-get install aide as root)"
fi
printf '  cv --scan, events on other days (Detail only): %5d files/s  (%s s, %s MiB)\n' \
    "$(rate "$detailSeconds")" "$detailSeconds" "$(mib "$detailPeak")"
printf '  (before the scan, the emulated server read its metadata in %s s)\n' "$start"

if [ -n "$largeFolders" ]; then
    large=$tree/large
    mkdir "$large"
    "$bin/cv_scan_bench" make "$large" "$largeFolders" "$files"
    read -r largeSeconds largePeak < <(wholeProgramRun "$large")
    printf '  cv --scan of %d files: %s s, peak memory %s MiB (%s MiB at %d files; target: flat)\n' \
        $((largeFolders * files)) "$largeSeconds" "$(mib "$largePeak")" "$(mib "$cvPeak")" "$found"
fi
echo "  load average during the run: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
