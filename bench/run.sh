#!/usr/bin/env bash
# Builds and runs the benchmarks: the list refresh for 1,000, 10,000 and 100,000 accounts.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
for n in 1000 10000 100000; do
    build/bench/bench_list_refresh "$n" 2>/dev/null
done

# --- Printing and export (kept apart from the refresh benchmark above) ---
# Print (the pages, written as PDF) and export to xlsx and csv of 100,000 accounts.
for format in csv xlsx pdf; do
    build/bench/bench_print_export 100000 "$format" 2>/dev/null
done
