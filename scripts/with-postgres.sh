#!/usr/bin/env bash
# Runs a command next to a throw-away PostgreSQL server: a fresh cluster in a temporary folder,
# listening on 127.0.0.1 on a free port, trust login for the user "tarvo". The command sees the
# server's URL in TARVO_TEST_PG; the server and its folder are gone when the command ends,
# whether it passed, failed or was interrupted.
#   scripts/with-postgres.sh ctest --test-dir build
set -euo pipefail

servers="$(dirname "$0")/pg-test-servers.sh"
read -r dir port < <("$servers" start)
[ -n "${port:-}" ] || exit 1
trap '"$servers" remove "$dir"' EXIT
trap "exit 130" INT TERM HUP

export TARVO_TEST_PG="postgresql://tarvo@127.0.0.1:$port/postgres"
echo "PostgreSQL test server: $TARVO_TEST_PG"
"$@"
