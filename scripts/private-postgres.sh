# Sourced by the scripts and benches that need a PostgreSQL of their own, never the machine's:
#   start_private_postgres FOLDER ROLE [postgres -c settings...]
# makes a cluster in FOLDER/data (as the account "nobody" when run as root) whose superuser ROLE
# connects over the socket in FOLDER/socket without a password, starts it there (no TCP) and waits
# until it takes connections. stop_private_postgres FOLDER stops it by the server's own pid and
# waits for it; the callers do so in their EXIT trap, so that it stops however they end.
private_postgres_bin=${PG_BIN:-$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)}
private_postgres_pid=

start_private_postgres() {
    local folder=$1 role=$2
    shift 2
    local as_server=()
    chmod 711 "$folder"
    if [ "$(id -u)" = 0 ]; then
        as_server=(runuser -u nobody --)
        install -d -o nobody "$folder/data" "$folder/socket"
    else
        mkdir -p "$folder/data" "$folder/socket"
    fi
    "${as_server[@]}" "$private_postgres_bin/initdb" -D "$folder/data" -U "$role" -A trust --encoding=UTF8 \
        --no-locale --no-sync >/dev/null
    "${as_server[@]}" "$private_postgres_bin/postgres" -D "$folder/data" -k "$folder/socket" \
        -c listen_addresses= "$@" >"$folder/server.log" 2>&1 &
    private_postgres_pid=$!
    for _ in $(seq 100); do
        "$private_postgres_bin/pg_isready" -q -h "$folder/socket" -U "$role" && return 0
        sleep 0.2
    done
    echo "the private PostgreSQL did not start; its log ends:" >&2
    tail -n 10 "$folder/server.log" >&2
    return 1
}

# The server's own pid (runuser passes no signal on): a fast shutdown, then wait for it.
stop_private_postgres() {
    local folder=$1
    [ -n "$private_postgres_pid" ] || return 0
    [ -f "$folder/data/postmaster.pid" ] && kill -INT "$(head -1 "$folder/data/postmaster.pid")" 2>/dev/null
    while kill -0 "$private_postgres_pid" 2>/dev/null; do sleep 0.2; done
    private_postgres_pid=
}
