#!/usr/bin/env bash
# Runs a command next to a throw-away PostgreSQL server: a fresh cluster in a temporary folder,
# listening on 127.0.0.1 on a free port, trust login for the user "tarvo". The command sees the
# server's URL in TARVO_TEST_PG; the server and its folder are gone when the command ends,
# whether it passed, failed or was interrupted.
#   scripts/with-postgres.sh ctest --test-dir build
set -euo pipefail

pg_bin=/usr/lib/postgresql/15/bin
[ -x "$pg_bin/pg_ctl" ] || { echo "PostgreSQL 15 is not installed ($pg_bin)" >&2; exit 1; }

# The server refuses to run as root, so root hands the cluster to the postgres system user.
as_owner=()
owner="$(id -un)"
if [ "$(id -u)" -eq 0 ]; then
    owner=postgres
    as_owner=(runuser -u postgres --)
fi

dir="$(mktemp -d /tmp/tarvo-pg.XXXXXX)"
chown "$owner" "$dir"
chmod 700 "$dir"

# From inside the folder: the caller's folder may be closed to the postgres user.
server_cmd() { (cd "$dir" && "${as_owner[@]}" "$@"); }

stop_server() {
    if [ -f "$dir/data/postmaster.pid" ]; then
        server_cmd "$pg_bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$dir"
}
trap stop_server EXIT
trap "exit 130" INT TERM HUP

server_cmd "$pg_bin/initdb" -D "$dir/data" -U tarvo --auth=trust --encoding=UTF8 \
    --locale=C >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }

port_in_use() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

# A port that looks free may be taken before the server binds it: try a few.
started=""
for _ in 1 2 3 4 5 6 7 8; do
    port=$((20000 + RANDOM % 30000))
    port_in_use "$port" && continue
    # Durability is of no use to a server that is deleted afterwards; speed is.
    if server_cmd "$pg_bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
        -o "-c listen_addresses=127.0.0.1 -p $port -k $dir -c fsync=off \
            -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" \
        start >/dev/null; then
        started=yes
        break
    fi
done
if [ -z "$started" ]; then
    echo "could not start a PostgreSQL server" >&2
    cat "$dir/server.log" >&2 || true
    exit 1
fi

export TARVO_TEST_PG="postgresql://tarvo@127.0.0.1:$port/postgres"
echo "PostgreSQL test server: $TARVO_TEST_PG"
"$@"
