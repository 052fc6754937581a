#!/usr/bin/env bash
# Builds and runs the benchmarks: the list refresh for 1,000, 10,000 and 100,000 accounts, and
# a pick list's key filter of 8,000 and 100,000 terms.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
for n in 1000 10000 100000; do
    build/bench/bench_list_refresh "$n" 2>/dev/null
done
for n in 8000 100000; do
    build/bench/bench_filter_keys "$n"
done
