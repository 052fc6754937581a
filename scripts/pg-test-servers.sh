#!/usr/bin/env bash
# Throw-away PostgreSQL servers on 127.0.0.1 for tests: a primary in a fresh cluster, a streaming
# standby copied from it, and what a test does to them (restart, stop, promote). Trust login for
# the user "tarvo". Run as root, the servers run as the postgres system user.
#   pg-test-servers.sh start [PID]            -> prints "FOLDER PORT" of a new primary; given
#                                                a process id, removes the servers once that
#                                                process has ended, however it ended
#   pg-test-servers.sh standby FOLDER [sync]  -> prints the PORT of a standby of its primary;
#                                                with sync, the primary waits for it to confirm
#                                                every commit (what a failover must not lose)
#   pg-test-servers.sh restart|stop|promote FOLDER primary|standby
#   pg-test-servers.sh remove FOLDER          stops whatever runs there and deletes it
set -euo pipefail

pg_bin=/usr/lib/postgresql/15/bin
[ -x "$pg_bin/pg_ctl" ] || { echo "PostgreSQL 15 is not installed ($pg_bin)" >&2; exit 1; }

# The server refuses to run as root, so root hands the clusters to the postgres system user.
as_owner=()
owner="$(id -un)"
if [ "$(id -u)" -eq 0 ]; then
    owner=postgres
    as_owner=(runuser -u postgres --)
fi

# From inside the folder: the caller's folder may be closed to the postgres user.
server_cmd() { (cd "$dir" && "${as_owner[@]}" "$@"); }

port_in_use() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

# Starts the cluster $dir/$1 on a free port and prints the port. A port that looks free may be
# taken before the server binds it: a few are tried.
start_on_free_port() {
    local name="$1" port
    for _ in 1 2 3 4 5 6 7 8; do
        port=$((20000 + RANDOM % 30000))
        port_in_use "$port" && continue
        # Durability is of no use to a server that is deleted afterwards; speed is.
        if server_cmd "$pg_bin/pg_ctl" -D "$dir/$name" -l "$dir/$name.log" -w -t 60 \
            -o "-c listen_addresses=127.0.0.1 -p $port -k $dir -c fsync=off \
                -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" \
            start >/dev/null; then
            echo "$port"
            return 0
        fi
    done
    echo "could not start a PostgreSQL server" >&2
    cat "$dir/$name.log" >&2 || true
    return 1
}

port_of() { sed -n 4p "$dir/$1/postmaster.pid"; }

cluster_arg() {
    case "${1:-}" in
    primary | standby) [ -d "$dir/$1" ] || { echo "no $1 in $dir" >&2; exit 2; } ;;
    *) echo "primary or standby, not '${1:-}'" >&2; exit 2 ;;
    esac
}

command="${1:-}"
case "$command" in
start)
    dir="$(mktemp -d /tmp/tarvo-pg.XXXXXX)"
    chown "$owner" "$dir"
    chmod 700 "$dir"
    server_cmd "$pg_bin/initdb" -D "$dir/primary" -U tarvo --auth=trust --encoding=UTF8 \
        --locale=C >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; rm -rf "$dir"; exit 1; }
    port="$(start_on_free_port primary)" || { rm -rf "$dir"; exit 1; }
    if [ -n "${2:-}" ]; then
        # A test killed at its time limit leaves no server running behind it.
        (while kill -0 "$2" 2>/dev/null && [ -d "$dir" ]; do sleep 2; done
         [ -d "$dir" ] && "$0" remove "$dir") </dev/null >/dev/null 2>&1 &
    fi
    echo "$dir $port"
    ;;
standby)
    dir="$2"
    cluster_arg primary
    # -R writes the settings that make the copy follow its primary as a standby.
    server_cmd "$pg_bin/pg_basebackup" -h 127.0.0.1 -p "$(port_of primary)" -U tarvo \
        -D "$dir/standby" -R -X stream -c fast >"$dir/basebackup.log" 2>&1 ||
        { cat "$dir/basebackup.log" >&2; exit 1; }
    port="$(start_on_free_port standby)"
    if [ "${3:-}" = sync ]; then
        # The primary names its standbys as synchronous and waits for one to have each commit
        # before it answers. The servers here start with synchronous_commit off for speed; a
        # role's own setting wins over the command line's.
        "$pg_bin/psql" -X -q -h 127.0.0.1 -p "$(port_of primary)" -U tarvo -d postgres \
            -v ON_ERROR_STOP=1 >/dev/null <<'SQL' || exit 1
ALTER SYSTEM SET synchronous_standby_names = '*';
SELECT pg_reload_conf();
ALTER ROLE tarvo SET synchronous_commit = on;
SQL
    fi
    echo "$port"
    ;;
restart | stop | promote)
    dir="$2"
    cluster_arg "${3:-}"
    if [ "$command" = restart ]; then
        # The port and folder the server started with stay in postmaster.opts.
        server_cmd "$pg_bin/pg_ctl" -D "$dir/$3" -l "$dir/$3.log" -m fast -w -t 60 restart \
            >/dev/null
    else
        server_cmd "$pg_bin/pg_ctl" -D "$dir/$3" -m fast -w -t 60 "$command" >/dev/null
    fi
    ;;
remove)
    dir="$2"
    case "$dir" in /tmp/tarvo-pg.*) ;; *) echo "not a test server folder: $dir" >&2; exit 2 ;; esac
    for name in primary standby; do
        if [ -f "$dir/$name/postmaster.pid" ]; then
            server_cmd "$pg_bin/pg_ctl" -D "$dir/$name" -m immediate -w stop >/dev/null 2>&1 || true
        fi
    done
    rm -rf "$dir"
    ;;
*)
    sed -n 2,11p "$0" >&2
    exit 2
    ;;
esac
