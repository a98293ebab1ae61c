#!/bin/sh
# Generates 100k- and 1M-row workbooks (xlsx and ods, three numeric columns)
# and times reading every cell against a bare libzip + pugixml pass, with the
# peak memory of each run. Usage: bench/workbook_bench.sh [BUILD_DIR] [WORK_DIR]
set -eu
build=${1:-build}
work=${2:-${TMPDIR:-/tmp}/tessaline-workbook-bench}
tool="$build/bench/tessaline-bench-workbook"
mkdir -p "$work"
for rows in 100000 1048576; do
    for kind in xlsx ods; do
        book="$work/rows$rows.$kind"
        [ -f "$book" ] || "$tool" generate "$rows" "$book"
        for mode in read bare; do
            /usr/bin/time -v "$tool" "$mode" "$book" 2>"$work/time.txt"
            grep -E "Elapsed|Maximum resident" "$work/time.txt" | sed 's/^\s*/    /'
        done
    done
done
