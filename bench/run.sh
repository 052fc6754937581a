#!/usr/bin/env bash
# Builds and runs the benchmarks and prints each figure on a line of its own:
#   measure: NAME project=X baseline=Y ratio=R
# times in ms, memory in MB (baseline=-). Every baseline is measured in the same run as the
# figure beside it, so that a busy machine slows both: compare the ratios from run to run.
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target bench_list_refresh bench_card_save bench_filter_keys bench_print_export \
    bench_account_save bench_quick_search bench_import_batch bench_list_export bench_xlsx_bare \
    bench_print_preview bench_import_preview bench_list_load bench_import_check_command \
    bench_export_command bench_wan bench_wan_card bench_directory_import \
    bench_directory_search >/dev/null

# The figure NAME of the "NAME VALUE" lines in $2.
value() { awk -v k="$1" '$1 == k { print $2 }' <<<"$2"; }
measure() {
    awk -v n="$1" -v p="$2" -v b="$3" 'BEGIN {
        if (b == "-") printf "measure: %s project=%.1f baseline=- ratio=-\n", n, p
        else printf "measure: %s project=%.4g baseline=%.4g ratio=%.2f\n", n, p, b, p / b }'
}

small=$(build/bench/bench_list_refresh 10000 2>/dev/null)
big=$(build/bench/bench_list_refresh 100000 2>/dev/null)
server=$(scripts/with-postgres.sh sh -c \
    'exec build/bench/bench_list_refresh 100000 "$TARVO_TEST_PG"' 2>/dev/null)
card=$(build/bench/bench_card_save 100000 2>/dev/null)

measure refresh-100k-sqlite "$(value refresh_median_ms "$big")" "$(value shell_median_ms "$big")"
measure refresh-100k-postgresql "$(value refresh_median_ms "$server")" \
    "$(value shell_median_ms "$server")"
measure peak-rss-100k "$(value peak_rss_mb "$big")" -
measure growth-10k-100k "$(value refresh_median_ms "$big")" "$(value refresh_median_ms "$small")"
measure card-next-100k "$(value card_next_ms "$card")" "$(value bare_select_ms "$card")"
# The same Next against its floor: the bare SELECT plus what Qt takes to set the texts of the
# fields that change (plain line edits, same font, same values).
measure card-next-over-floor-100k "$(value card_next_ms "$card")" \
    "$(awk -v b="$(value bare_select_ms "$card")" -v f="$(value fill_floor_ms "$card")" \
        'BEGIN { print b + f }')"
measure save-add "$(value save_add_ms "$card")" "$(value bare_insert_ms "$card")"
# An account's add, with its duplicate check, in an archive of 100,000 against one of 1,000.
accounts=build/bench/bench_account_save
measure save-account-100k-sqlite "$(value save_account_ms "$($accounts 100000 2>/dev/null)")" \
    "$(value save_account_ms "$($accounts 1000 2>/dev/null)")"
measure save-account-100k-postgresql \
    "$(value save_account_ms "$(scripts/with-postgres.sh sh -c \
        "exec $accounts 100000 \"\$TARVO_TEST_PG\"" 2>/dev/null)")" \
    "$(value save_account_ms "$(scripts/with-postgres.sh sh -c \
        "exec $accounts 1000 \"\$TARVO_TEST_PG\"" 2>/dev/null)")"
# The search box over 100,000 accounts: the slowest key against a plain refresh, and its first
# use after a load.
search=$(build/bench/bench_quick_search 100000 2>/dev/null)
measure search-key-100k "$(value search_key_max_ms "$search")" "$(value refresh_median_ms "$search")"
measure search-first-use-100k "$(value search_first_use_ms "$search")" -
# The pick list of the card's 联行号 over a generated directory of 200,000 branches: the slowest
# key typed into its search (a code's start, bank and city, initials, part of a name, each typed
# and taken back) to the painted rows, and the reading of the directory into the session's index.
directory=$(build/bench/bench_directory_search 200000 2>/dev/null)
measure directory-search-key-200k "$(value search_key_max_ms "$directory")" -
measure directory-index-read-200k "$(value index_read_ms "$directory")" -
# The clerk's first click into the search box of the shown list of 100,000 and of 1,000,000
# accounts, after the load and after each refresh: until the window's event loop next turns,
# the median and the slowest of the rounds, and the median in the window thread's processor
# time (steadier than the wall on a busy machine).
for n in 100000 1000000; do
    size=$([ "$n" = 100000 ] && echo 100k || echo 1m)
    clicks=$(build/bench/bench_quick_search "$n" click 2>/dev/null)
    measure "search-first-click-$size" "$(value search_click_median_ms "$clicks")" -
    measure "search-first-click-max-$size" "$(value search_click_max_ms "$clicks")" -
    measure "search-first-click-cpu-$size" "$(value search_click_cpu_median_ms "$clicks")" -
done
# An import of 2,000 new accounts into an archive of 10,000, against the same accounts saved
# one by one: the preview, the import, and the preview of the same file once imported.
imports=build/bench/bench_import_batch
sqliteImport=$($imports 2000 2>/dev/null)
serverImport=$(scripts/with-postgres.sh sh -c "exec $imports 2000 \"\$TARVO_TEST_PG\"" 2>/dev/null)
for backend in sqlite postgresql; do
    figures=$([ "$backend" = sqlite ] && echo "$sqliteImport" || echo "$serverImport")
    for step in check store recheck; do
        measure "import-$step-2000-$backend" "$(value "import_${step}_ms" "$figures")" \
            "$(value single_adds_ms "$figures")"
    done
done
# Beside them: what a clerk sees at start, the fifth refresh against the first, and the
# resident memory after the first load, after one, five and ten refreshes.
measure first-paint-100k "$(value first_paint_ms "$big")" -
measure refresh-fifth-vs-first-100k "$(value refresh_fifth_ms "$big")" \
    "$(value refresh_first_ms "$big")"
for when in after_load after_1_refresh after_5_refreshes after_10_refreshes; do
    measure "rss-${when//_/-}-100k" "$(value "rss_${when}_mb" "$big")" -
done
# A pick list's key filter of 8,000 and 100,000 chosen rows.
for n in 8000 100000; do
    build/bench/bench_filter_keys "$n"
done

# --- Printing and export (kept apart from the refresh benchmark above) ---
# Print (the pages, written as PDF) and export to xlsx and csv of 100,000 accounts.
for format in csv xlsx pdf; do
    build/bench/bench_print_export 100000 "$format" 2>/dev/null
done

# --- The search box at a million accounts ---
# From the box's first use, while each row's search key is read a slice at a time and keys are
# typed, to the last key: the longest the event loop went without a turn, the slowest key-up,
# and the whole process's resident memory afterwards.
searchMillion=$(nice -n 10 build/bench/bench_quick_search 1000000 2>/dev/null)
measure stall-search-1m "$(value stall_search_ms "$searchMillion")" -
measure search-key-1m "$(value search_key_max_ms "$searchMillion")" -
measure search-rss-1m "$(value search_rss_mb "$searchMillion")" -

# --- Export of a long list to .csv and .xlsx ---
# The list window's own output command (style, data and writer), started from the event loop of
# the shown list; the writer given the list's data, less reading that data by itself, in
# processor time against the baseline's (steadier than the difference of two wall times on a
# busy machine); the peaks over the loaded list and over that reading. Baselines: the sqlite3
# shell writing the list's SELECT as CSV, and a bare libxlsxwriter program (bench/xlsx_bare.c)
# writing the same cells in constant-memory mode. Alone: build/bench/bench_list_export N FORMAT.
for n in 100000 1000000; do
    size=$([ "$n" = 100000 ] && echo 100k || echo 1m)
    for format in csv xlsx; do
        figures=$(nice -n $([ "$n" = 100000 ] && echo 0 || echo 10) \
            build/bench/bench_list_export "$n" "$format" 2>/dev/null)
        base=$([ "$format" = csv ] && echo shell_csv || echo bare_xlsx)
        minus() { awk -v a="$(value "$1" "$figures")" -v b="$(value "$2" "$figures")" \
            'BEGIN { print a - b }'; }
        measure "export-$format-$size" "$(value command_ms "$figures")" \
            "$(value "${base}_ms" "$figures")"
        measure "export-$format-writer-$size" "$(minus writer_cpu_ms read_cpu_ms)" \
            "$(value "${base}_cpu_ms" "$figures")"
        measure "export-$format-peak-over-list-$size" "$(value command_peak_over_list_mb "$figures")" -
        measure "export-$format-writer-peak-over-reading-$size" \
            "$(minus writer_peak_over_data_mb read_peak_over_data_mb)" -
    done
done

# --- The print preview and the PDF from the shown list window ---
# The first page of the preview against the list's own load of the same rows, the memory of
# each, the longest stall of the event loop; the PDF of the whole list in pages per second and
# its peak memory against the loaded list. At 100,000 and once at 1,000,000 accounts.
for n in 100000 1000000; do
    label=$([ "$n" = 100000 ] && echo 100k || echo 1m)
    figures=$(nice -n 10 build/bench/bench_print_preview "$n" pdf 2>/dev/null)
    if [ "$n" = 100000 ]; then
        measure preview-first-page-100k "$(value preview_first_page_ms "$figures")" \
            "$(value list_first_load_ms "$figures")"
        # The same against a load into the list already shown, without the window's start.
        measure preview-first-page-vs-reload-100k "$(value preview_first_page_ms "$figures")" \
            "$(value list_load_ms "$figures")"
        measure preview-rss-100k "$(value preview_rss_mb "$figures")" \
            "$(value list_rss_mb "$figures")"
        measure preview-stall-100k "$(value preview_stall_ms "$figures")" -
        # The preview counts its pages on after the first shows: until the count is final,
        # and the longest stall meanwhile.
        measure preview-layout-done-100k "$(value preview_layout_done_ms "$figures")" \
            "$(value list_first_load_ms "$figures")"
        measure preview-layout-stall-100k "$(value preview_layout_stall_ms "$figures")" -
    fi
    measure "export-pdf-$label" "$(value pdf_pages_per_s "$figures")" -
    measure "export-pdf-peak-$label" "$(value pdf_peak_mb "$figures")" \
        "$(value pdf_list_rss_mb "$figures")"
    measure "export-pdf-stall-$label" "$(value pdf_stall_ms "$figures")" -
done

# --- Import of a long file (bench_import_preview runs this block's figures on its own) ---
# The preview of 100,000 new accounts over the shown list of 100,000, from the command to the
# preview shown with every verdict, against the sqlite3 shell's .import and INSERT…SELECT of the
# same file into a copy of the same database; the window thread's processor time until then
# (it idles while the file is checked beside it); the process's peak memory; and the import of
# 20,000 new accounts on the server against the same import on SQLite.
# Each process makes its own archive and file: three of each, and the median of each figure
# and of its baseline, so that one slow start decides nothing; memory and stalls the worst.
previews=() storesSqlite=() storesServer=()
for round in 1 2 3; do
    previews+=("$(build/bench/bench_import_preview preview 100000 2>/dev/null)")
    storesSqlite+=("$(build/bench/bench_import_preview store 20000 2>/dev/null)")
    storesServer+=("$(scripts/with-postgres.sh sh -c \
        'exec build/bench/bench_import_preview store 20000 "$TARVO_TEST_PG"' 2>/dev/null)")
done
# The median or the largest of figure NAME over the outputs that follow it.
over() { local how=$1 name=$2; shift 2
    for figures in "$@"; do value "$name" "$figures"; done | sort -g |
        if [ "$how" = median ]; then sed -n 2p; else tail -n 1; fi; }
measure import-preview-100k "$(over median preview_ms "${previews[@]}")" \
    "$(over median shell_import_ms "${previews[@]}")"
measure import-preview-rss-100k "$(over largest peak_rss_mb "${previews[@]}")" -
measure import-preview-stall-100k "$(over largest stall_ms "${previews[@]}")" -
measure import-preview-window-cpu-100k "$(over median window_cpu_ms "${previews[@]}")" -
measure import-store-20k-postgresql "$(over median store_ms "${storesServer[@]}")" \
    "$(over median store_ms "${storesSqlite[@]}")"
# What a script runs: tarvo-archive --import FILE --check of 100,000 new accounts into an
# archive of 100,000, as a process of its own, against the same shell import; the program's
# peak memory. The benchmark runs each three times and gives the medians and the largest peak.
checkCommand=$(build/bench/bench_import_check_command 100000 2>/dev/null)
measure import-check-command-100k "$(value command_ms "$checkCommand")" \
    "$(value shell_import_ms "$checkCommand")"
measure import-check-command-100k-rss "$(value peak_rss_mb "$checkCommand")" -
# What a script runs: tarvo-archive --branches FILE --commit of a made-up directory of 200,000
# branches into a database without one, then the same file again: wall and processor time of
# each, and the larger peak memory.
directory=$(build/bench/bench_directory_import 200000 2>/dev/null)
measure directory-import-200k "$(value directory_import_ms "$directory")" -
measure directory-reimport-200k "$(value directory_reimport_ms "$directory")" -
measure directory-import-200k-cpu "$(value directory_import_cpu_ms "$directory")" -
measure directory-reimport-200k-cpu "$(value directory_reimport_cpu_ms "$directory")" -
measure directory-import-200k-rss "$(value peak_rss_mb "$directory")" -
# What a script runs: tarvo-archive --export FILE.csv of the list of 100,000 accounts, as a
# process of its own, against the sqlite3 shell writing the list's SELECT as CSV; the program's
# peak memory. Each runs three times: the medians and the largest peak.
exportCommand=$(build/bench/bench_export_command 100000 2>/dev/null)
measure export-command-100k "$(value command_ms "$exportCommand")" \
    "$(value shell_csv_ms "$exportCommand")"
measure export-command-100k-rss "$(value peak_rss_mb "$exportCommand")" -

# --- A list that never freezes ---
# The first load of the list and a refresh, each with the longest gap between two turns of the
# event loop (ms, no baseline), the first rows on screen against the whole load, and the peak
# memory of a refresh against that of the load. Alone: build/bench/bench_list_load N [URL].
listLoad100k=$(nice -n 10 build/bench/bench_list_load 100000 2>/dev/null)
listLoad1m=$(nice -n 10 build/bench/bench_list_load 1000000 2>/dev/null)
listLoad1mServer=$(scripts/with-postgres.sh sh -c \
    'exec nice -n 10 build/bench/bench_list_load 1000000 "$TARVO_TEST_PG"' 2>/dev/null)
measure first-rows-100k "$(value first_rows_ms "$listLoad100k")" "$(value load_ms "$listLoad100k")"
for backend in sqlite postgresql; do
    figures=$([ "$backend" = sqlite ] && echo "$listLoad1m" || echo "$listLoad1mServer")
    suffix=$([ "$backend" = sqlite ] && echo "" || echo "-postgresql")
    measure "first-rows-1m$suffix" "$(value first_rows_ms "$figures")" "$(value load_ms "$figures")"
    measure "stall-load-1m$suffix" "$(value stall_load_ms "$figures")" -
    measure "stall-refresh-1m$suffix" "$(value stall_refresh_ms "$figures")" -
    measure "rss-load-1m$suffix" "$(value rss_load_mb "$figures")" -
    measure "rss-refresh-1m$suffix" "$(value rss_refresh_mb "$figures")" \
        "$(value rss_load_mb "$figures")"
done

# --- A branch office 50 ms from the server ---
# The host's runs through a relay that delays each direction by 25 ms and counts connections and
# round trips (a request burst and its answer): start to the list's picture, the check of 2,000
# new accounts, the export of 100,000 as .csv beside psql running the export's statement through
# the same relay, the export's reading by itself on a connection already open, and last the
# check of the 2,000 accounts naming their branches in a directory stored meanwhile.
# Alone: scripts/with-postgres.sh sh -c 'build/bench/bench_wan "$TARVO_TEST_PG" N'.
wan=$(scripts/with-postgres.sh sh -c 'exec build/bench/bench_wan "$TARVO_TEST_PG" 100000 25' \
    2>/dev/null)
measure wan-start-roundtrips "$(value wan_start_roundtrips "$wan")" -
measure wan-start-connections "$(value wan_start_connections "$wan")" -
measure wan-import-check-2k-roundtrips "$(value wan_import_check_2k_roundtrips "$wan")" -
measure wan-import-check-2k-branches-roundtrips \
    "$(value wan_import_check_2k_branches_roundtrips "$wan")" -
measure wan-export-csv-100k "$(value wan_export_csv_ms "$wan")" "$(value psql_export_csv_ms "$wan")"
measure wan-export-csv-100k-roundtrips "$(value wan_export_csv_roundtrips "$wan")" \
    "$(value psql_export_csv_roundtrips "$wan")"
measure wan-export-read-100k "$(value wan_export_read_ms "$wan")" "$(value psql_export_csv_ms "$wan")"
measure wan-export-read-100k-roundtrips "$(value wan_export_read_roundtrips "$wan")" -
# The card through the same relay, in one process: the card opened from the list, Next, the
# currency's pick list (F2) and a save; and the longest the window did not answer meanwhile.
# Alone: scripts/with-postgres.sh sh -c 'build/bench/bench_wan_card "$TARVO_TEST_PG" N'.
wanCard=$(scripts/with-postgres.sh sh -c \
    'exec build/bench/bench_wan_card "$TARVO_TEST_PG" 10000 25' 2>/dev/null)
measure wan-card-open-roundtrips "$(value wan_card_open_roundtrips "$wanCard")" -
measure wan-card-next-roundtrips "$(value wan_card_next_roundtrips "$wanCard")" -
measure wan-save-roundtrips "$(value wan_save_roundtrips "$wanCard")" -
measure wan-lookup-roundtrips "$(value wan_lookup_roundtrips "$wanCard")" -
measure wan-stall-max "$(value wan_stall_max "$wanCard")" -
