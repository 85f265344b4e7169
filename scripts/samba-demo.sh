#!/usr/bin/env bash
# A day on a real Samba share: starts a private smbd (127.0.0.1, its own configuration, passdb,
# state and log in a temporary folder; the machine's own Samba is left alone) whose share DATA
# has full_audit and recycle, lets two users (cvtestalice, cvtestbob: Unix accounts made if
# missing) work on it through smbclient, scans it with cv and prints the day's rows. The server
# is stopped when the script ends, however it ends. Needs root.
#   scripts/samba-demo.sh            builds cv in build-app/ first (as scripts/run.sh does)
#   CV=path/to/cv scripts/samba-demo.sh   uses that cv (its cv.mdb beside it is the template)
#   KEEP=1 ...                       keeps the temporary folder and prints where it is
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -ne 0 ]; then
    echo "samba-demo: run as root (it adds the cvtest accounts and lets smbd switch users)" >&2
    exit 1
fi

if [ -z "${CV:-}" ]; then
    bash scripts/install-deps.sh
    cmake -S . -B build-app -G Ninja -DCV_BUILD_TESTS=OFF >/dev/null
    cmake --build build-app >/dev/null
    CV=$PWD/build-app/bin/cv
fi
template=$(dirname "$CV")/cv.mdb
for tool in smbd smbclient smbpasswd testparm; do
    command -v "$tool" >/dev/null || { echo "samba-demo: $tool not found (scripts/install-deps.sh)" >&2; exit 1; }
done

users=(cvtestalice cvtestbob)
group=cvtestshare
password=Cv-demo-1
root=$(mktemp -d /tmp/cv-samba-demo.XXXXXX)
smbd_pid=

stop_server() {
    if [ -n "$smbd_pid" ]; then
        # smbd leads its own process group: stop it with every worker it forked.
        kill -TERM -- "-$smbd_pid" 2>/dev/null || kill -TERM "$smbd_pid" 2>/dev/null || true
        wait "$smbd_pid" 2>/dev/null || true
        smbd_pid=
    fi
    if [ -n "${KEEP:-}" ]; then
        echo "Kept $root" >&2
    else
        rm -rf "$root"
    fi
}
trap stop_server EXIT

# The share's users edit each other's files through their shared group.
make_accounts() {
    getent group "$group" >/dev/null || groupadd "$group"
    for user in "${users[@]}"; do
        id "$user" >/dev/null 2>&1 || useradd --no-create-home --shell /usr/sbin/nologin --groups "$group" "$user"
        id -nG "$user" | grep -qw "$group" || usermod --append --groups "$group" "$user"
    done
}

free_port() {
    local port
    for port in $(shuf -i 20000-60000 -n 50); do
        if ! ss -Htln "sport = :$port" | grep -q .; then
            echo "$port"
            return
        fi
    done
    echo "samba-demo: no free port found" >&2
    exit 1
}

write_config() {
    cat > "$root/smb.conf" <<EOF
[global]
  server role = standalone server
  workgroup = CVDEMO
  private dir = $root/private
  lock directory = $root/lock
  state directory = $root/state
  cache directory = $root/cache
  pid directory = $root/pid
  ncalrpc dir = $root/ncalrpc
  log file = $root/log.smbd
  log level = 1
  max log size = 0
  passdb backend = tdbsam:$root/private/passdb.tdb
  disable netbios = yes
  disable spoolss = yes
  load printers = no
  printcap name = /dev/null
  smb ports = $1
  interfaces = 127.0.0.1
  bind interfaces only = yes
  map to guest = never
[data]
  path = $root/share
  read only = no
  create mask = 0664
  directory mask = 2775
  force group = $group
  vfs objects = full_audit recycle
  full_audit:prefix = %u|%I|%S
  full_audit:syslog = false
  full_audit:success = create_file openat pread pread_send pwrite pwrite_send ftruncate renameat unlinkat mkdirat fset_dos_attributes
  full_audit:failure = none
  recycle:repository = .recycle/%U
  recycle:keeptree = yes
  recycle:versions = yes
  recycle:directory_mode = 2770
EOF
}

start_server() {
    local port
    port=$(free_port)
    write_config "$port"
    for user in "${users[@]}"; do
        printf '%s\n%s\n' "$password" "$password" | smbpasswd -c "$root/smb.conf" -s -a "$user" >/dev/null 2>&1
    done
    smbd --foreground -s "$root/smb.conf" &
    smbd_pid=$!
    for _ in $(seq 150); do
        if ss -Htln "sport = :$port" | grep -q .; then
            echo "smbd $smbd_pid serves //127.0.0.1/data on port $port"
            SMB_PORT=$port
            return
        fi
        kill -0 "$smbd_pid" 2>/dev/null || break
        sleep 0.2
    done
    echo "samba-demo: smbd did not start; its log ends:" >&2
    tail -n 10 "$root/log.smbd" >&2 || true
    exit 1
}

# smbclient carries on after a refused command; its refusals are NT_STATUS names.
as_user() {
    local user=$1 commands=$2 output
    echo "  $user> $commands"
    output=$(cd "$root/client" && smbclient //127.0.0.1/data -p "$SMB_PORT" -s "$root/smb.conf" -m SMB3 \
        -U "$user%$password" -c "$commands" 2>&1) || { echo "$output" >&2; exit 1; }
    if grep -q NT_STATUS_ <<<"$output"; then
        echo "$output" >&2
        exit 1
    fi
}

work_on_the_share() {
    echo "Quarterly figures, first draft" > "$root/client/report.txt"
    echo "Figures checked and corrected by Bob" > "$root/client/report-bob.txt"
    seq 1 5000 > "$root/client/budget.txt"
    echo "Minutes of Monday's meeting" > "$root/client/minutes.txt"
    echo "Old notes nobody needs" > "$root/client/notes.txt"
    echo "Users at work:"
    as_user cvtestalice "put report.txt; mkdir projects; put budget.txt projects/budget.txt; put minutes.txt projects/minutes.txt; put notes.txt"
    as_user cvtestbob "get report.txt seen.txt; put report-bob.txt report.txt; rename projects/minutes.txt projects/minutes-monday.txt"
    as_user cvtestbob "rm notes.txt; rm projects/budget.txt; setmode report.txt -a"
    as_user cvtestalice "rename .recycle/cvtestbob/projects/budget.txt projects/budget.txt; get projects/minutes-monday.txt read.txt"
}

scan_and_show() {
    local home=$root/cv-home
    mkdir -p "$home" "$root/registry"
    cp "$template" "$home/cv.mdb"
    cat > "$home/netware.conf" <<EOF
[server FILES]
version = 3.12
samba config = $root/smb.conf
audit source = smbd-log $root/log.smbd
[drives]
F = FILES/DATA
EOF
    export CORVANE_NET_HOME=$home CORVANE_NET_REGISTRY=$root/registry
    "$CV" --add-path '\\FILES\DATA'
    "$CV" --scan
    for table in NewFiles EditedFiles OpenedFiles ArchivedFiles DeletedFiles DirActivity NewDirs; do
        echo
        echo "== $table"
        "$CV" --query "SELECT * FROM $table"
    done
}

mkdir -p "$root"/{private,lock,state,cache,pid,ncalrpc,share,client}
chmod 755 "$root"
make_accounts
chgrp "$group" "$root/share"
chmod 2775 "$root/share"
start_server
work_on_the_share
scan_and_show
