#!/usr/bin/env bash
# Prints the files/s of `cv --scan` over one folder tree seen two ways: as a plain volume, and as
# the share of a Samba server whose audit trail (smbd's log file, every file created and written by
# one user and read by another today) is read at the start of the run. Target: the Samba volume at
# least 80% of the plain one. Each figure is the best of three rounds, each round a fresh cv.mdb,
# registry and audit store, so the Samba rounds read the whole trail each time. Needs testparm
# (Debian's samba); no smbd runs. Builds its own Release tree.
#   bench/run-samba-scan-bench.sh [FOLDERS FILES]   (default 2000 x 50; BUILD_DIR overrides build-samba-bench;
#                                                    BIN_DIR=folder of a built cv and cv_scan_bench skips the build)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-samba-bench}
folders=${1:-2000}
files=${2:-50}
bin=${BIN_DIR:-$build/bin}

command -v testparm >/dev/null || { echo "testparm not found: scripts/install-deps.sh" >&2; exit 1; }
if [ -z "${BIN_DIR:-}" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCV_BUILD_TESTS=OFF >/dev/null
    ninja -C "$build" cv cv_database cv_scan_bench >/dev/null
fi

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
"$bin/cv_scan_bench" make "$tree" "$folders" "$files"
rm -f "$tree/vol/.netware-meta" "$tree/netware.conf" # the same bare tree for both

cat > "$tree/smb.conf" <<EOF
[global]
  server role = standalone server
[data]
  path = $tree/vol
  vfs objects = full_audit recycle
  full_audit:prefix = %u|%I|%S
  full_audit:syslog = false
  recycle:repository = .recycle/%U
  recycle:keeptree = yes
EOF

# The day's trail as smbd 4.17 writes it to its log file: alice puts every file, bob reads it.
day=$(date +%Y/%m/%d)
find "$tree/vol" -type f | awk -v day="$day" '
function record(clock, text) {
    printf "[%s %s,  1] ../../source3/modules/vfs_full_audit.c:643(do_log)\n  %s\n", day, clock, text
}
{
    second = NR % 3600
    clock = sprintf("09:%02d:%02d.%06d", int(second / 60), second % 60, NR % 1000000)
    record(clock, "alice|10.0.0.5|data|openat|ok|w|" $0)
    record(clock, "alice|10.0.0.5|data|create_file|ok|0x12019f|file|overwrite_if|" $0)
    record(clock, "alice|10.0.0.5|data|pwrite_send|ok|" $0)
    record(clock, "bob|10.0.0.6|data|create_file|ok|0x120089|file|open|" $0)
    record(clock, "bob|10.0.0.6|data|pread_send|ok|" $0)
}' > "$tree/log.smbd"
records=$(grep -c '^  ' "$tree/log.smbd")

cv_scan_rate() { # netware.conf text; prints files/s of one fresh scan
    local home=$tree/home registry=$tree/registry start end found
    rm -rf "$home" "$registry"
    mkdir -p "$home" "$registry"
    cp "$bin/cv.mdb" "$home/cv.mdb"
    printf '%s' "$1" > "$home/netware.conf"
    export CORVANE_NET_HOME=$home CORVANE_NET_REGISTRY=$registry
    "$bin/cv" --add-path '\\BENCH\DATA' >/dev/null
    start=$(date +%s.%N)
    found=$("$bin/cv" --scan 2>/dev/null | sed -n 's/^\([0-9,.]*\) files found.*/\1/p' | tr -d ',.')
    end=$(date +%s.%N)
    echo "$found $(awk -v n="$found" -v a="$start" -v b="$end" 'BEGIN { printf "%d", n / (b - a) }')"
}

plain_conf=$(printf '[server BENCH]\nversion = 3.12\nvolume DATA = %s\n' "$tree/vol")
samba_conf=$(printf '[server BENCH]\nversion = 3.12\nsamba config = %s\naudit source = smbd-log %s\n' \
    "$tree/smb.conf" "$tree/log.smbd")
best() { sort -n | tail -1; }
find "$tree/vol" -type f >/dev/null # warms the caches
plain=$(for _ in 1 2 3; do cv_scan_rate "$plain_conf"; done)
samba=$(for _ in 1 2 3; do cv_scan_rate "$samba_conf"; done)
found=$(head -1 <<<"$plain" | cut -d' ' -f1)
sambaFound=$(head -1 <<<"$samba" | cut -d' ' -f1)
plainRate=$(cut -d' ' -f2 <<<"$plain" | best)
sambaRate=$(cut -d' ' -f2 <<<"$samba" | best)

echo "cv --scan of $found files in $folders folders, fresh cv.mdb each round (best of 3)"
printf '  plain volume:                      %6d files/s\n' "$plainRate"
printf '  Samba share, %7d-record trail:  %6d files/s  (%d%% of plain; target >= 80%%; %s files found)\n' \
    "$records" "$sambaRate" $((100 * sambaRate / plainRate)) "$sambaFound"
