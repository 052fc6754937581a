#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the data-service tests once on SQLite
# files and once on a PostgreSQL server started for the run and removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --test
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
scripts/with-postgres.sh ctest --test-dir build --output-on-failure -j 2
