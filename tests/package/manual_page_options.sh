#!/usr/bin/env bash
# The manual page lists every option the program's --help lists, and no other.
# Arguments: PROGRAM MANUAL_PAGE
set -euo pipefail
program=$1 page=$2
# The option column of --help: "  -h, --help   ..." and "  --db <name>   ...".
from_help=$(QT_QPA_PLATFORM=offscreen "$program" --help |
    grep -Eo '^  (-[a-zA-Z], )?--[a-z][a-z-]*' | grep -Eo -- '--?[a-zA-Z][a-z-]*' | sort -u)
# The line after each .TP of the manual page names the options of that entry.
from_page=$(awk '/^\.TP/ { getline; print }' "$page" | sed 's/\\-/-/g' |
    grep -Eo -- '(^|[ "])--?[a-zA-Z][a-z-]*' | tr -d ' "' | sort -u)
missing=$(comm -23 <(echo "$from_help") <(echo "$from_page"))
stale=$(comm -13 <(echo "$from_help") <(echo "$from_page"))
[ -z "$missing" ] || { echo "FAIL: not in the manual page: $missing" >&2; exit 1; }
[ -z "$stale" ] || { echo "FAIL: in the manual page, not in --help: $stale" >&2; exit 1; }
echo "$(wc -l <<<"$from_help") options listed in both"
