#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer (clang, into
# build-asan/, the fuzz targets linked with libFuzzer) and runs the whole suite under them, leak
# detection on, on SQLite and on a PostgreSQL server started for the run. Any report fails the
# run. Extra arguments go to ctest (e.g. -R fuzz to run only the fuzz corpora).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --test clang libclang-rt-14-dev
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_C_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DTARVO_FUZZ=ON >/dev/null
cmake --build build-asan -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Qt's and the system libraries' own one-time allocations are not ours to chase.
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
scripts/with-postgres.sh ctest --test-dir build-asan --output-on-failure -j 2 "$@"
