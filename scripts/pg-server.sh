#!/usr/bin/env bash
# A throwaway PostgreSQL server for the tests: a fresh data directory in DIR, its Unix socket in
# DIR (no TCP), a port of its own, owned by the unprivileged user `postgres` when this runs as
# root (the server refuses to run as root).
#   pg-server.sh start DIR   starts it and prints its libpq connection string
#   pg-server.sh stop DIR    stops it and removes DIR
set -euo pipefail

usage() {
    echo "usage: scripts/pg-server.sh start|stop DIR" >&2
    exit 2
}
[ $# -eq 2 ] || usage
action="$1"
dir="$(mkdir -p "$2" && cd "$2" && pwd)"

bin="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)"
if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
    echo "pg-server: PostgreSQL is not installed (package postgresql)" >&2
    exit 1
fi

as_owner=()
if [ "$(id -u)" -eq 0 ]; then
    as_owner=(runuser -u postgres --)
fi

case "$action" in
start)
    # a server left by a run that was cut short goes first
    if [ -f "$dir/data/postmaster.pid" ]; then
        "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop > /dev/null 2>&1 || true
    fi
    rm -rf "$dir/data"
    if [ "$(id -u)" -eq 0 ]; then
        chown postgres "$dir"
        if ! runuser -u postgres -- test -w "$dir"; then
            echo "pg-server: the user postgres cannot reach $dir (a parent directory is closed)" >&2
            exit 1
        fi
    fi
    chmod 700 "$dir"
    # a port of its own: the socket's name carries it, and the directory is private
    port=$(( 20000 + RANDOM % 20000 ))
    "${as_owner[@]}" "$bin/initdb" -D "$dir/data" -A trust -U velkar -E UTF8 --locale=C.UTF-8 \
        > "$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
    if ! "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
        -o "-k $dir -p $port -c listen_addresses=''" start > "$dir/pg_ctl.log" 2>&1; then
        cat "$dir/pg_ctl.log" "$dir/server.log" >&2 || true
        exit 1
    fi
    # the socket directory is reached by the tests' own user as well
    chmod 711 "$dir"
    echo "host=$dir port=$port user=velkar dbname=postgres"
    ;;
stop)
    if [ -f "$dir/data/postmaster.pid" ]; then
        "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -m fast -w stop > /dev/null 2>&1 || true
    fi
    rm -rf "$dir"
    ;;
*)
    usage
    ;;
esac
