#!/usr/bin/env bash
# Installs what is missing, builds, and opens the application on the embedded database.
# Arguments are passed on to the application.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
db="${XDG_DATA_HOME:-$HOME/.local/share}/TarvoArchive/account.db"
if [[ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" && "$*" != *--screenshot* ]]; then
    set -- "$@" --screenshot "${TMPDIR:-/tmp}/tarvo-archive.png"
fi
exec build/app/tarvo-archive --db "$db" "$@"
