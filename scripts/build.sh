#!/usr/bin/env bash
# Configures and builds into build/ (Release with debug info); arguments go to the configure
# step (scripts/package.sh passes the install prefix).
set -euo pipefail
cd "$(dirname "$0")/.."
# Paths relative to the checkout, so that other clones (CI's, a second work tree) reuse the
# compiler cache.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build build -j "$(nproc)"
