#!/usr/bin/env bash
# Measures the memory an import of a big CSV table takes, as a multiple of the CSV's size: the
# largest category of a generated document is written as CSV with every key of its pages, its rows
# repeated until the file holds MEGABYTES (each entry then given the same values many times over),
# and `velmora-ini edit` imports it; the peak resident memory (VmHWM) of that run less the peak of
# the same run without the import is what the import needed.
#
#   tools/measure-csv-import.sh BUILD_DIR [SECTIONS] [MEGABYTES]
#
# BUILD_DIR holds a Release build with the benchmarks (cli/velmora-ini and
# bench/velmora_write_installation); SECTIONS is the generated document's size in object sections
# (62,000 give about 18 MB). The goal is under 4 times the CSV.
set -euo pipefail

build=$(cd "${1:?usage: $0 BUILD_DIR [SECTIONS]}" && pwd)
sections=${2:-62000}
megabytes=${3:-50}
work=$(mktemp -d /tmp/velmora-csv-import.XXXXXX)
trap 'rm -rf "$work"' EXIT
"$build/bench/velmora_write_installation" "$work/folder" "$sections" >/dev/null
document=$work/folder/Mod.ini

# The category whose list names the most entries: its list is the section of its name.
category=$(awk -F'[=,]' '
    FNR == NR { if ($0 ~ /^\[/) inside = ($0 ~ /^\[AllSections\]/); else if (inside && NF > 1) wanted[$1] = 1; next }
    /^\[/ { name = substr($0, 2, index($0, "]") - 2); next }
    name in wanted && /=/ { count[name]++ }
    END { for (n in count) if (count[n] > most) { most = count[n]; best = n } print best }
' "$work/folder/Rules.001" "$document")
"$build/cli/velmora-ini" table "$work/folder" "$document" "$category" --csv "$work/one.csv" >/dev/null
{
    head -n 1 "$work/one.csv"
    rows=$(tail -n +2 "$work/one.csv" | wc -c)
    for ((copy = 0; copy * rows < megabytes * 1048576; ++copy)); do tail -n +2 "$work/one.csv"; done
} >"$work/table.csv"
size=$(stat -c %s "$work/table.csv")

# GNU time's "Maximum resident set size" is the process's VmHWM, in kB.
peak_kb() {
    /usr/bin/time -f %M -o "$work/peak" "$build/cli/velmora-ini" edit "$work/folder" "$document" \
        --output "$work/out.ini" <"$1" >/dev/null 2>"$work/errors" || { cat "$work/errors" >&2; exit 1; }
    tail -n 1 "$work/peak"
}
: >"$work/plain.txt"
printf 'import-table\t%s\t%s\n' "$category" "$work/table.csv" >"$work/import.txt"
plain=$(peak_kb "$work/plain.txt")
import=$(peak_kb "$work/import.txt")
awk -v category="$category" -v size="$size" -v plain="$plain" -v import="$import" 'BEGIN {
    printf "CSV of %s: %.1f MB\n", category, size / 1048576
    printf "edit without the import: %.1f MB peak; with it: %.1f MB peak\n", plain / 1024, import / 1024
    printf "the import: %.1f MB, %.2f times the CSV\n", (import - plain) / 1024, (import - plain) * 1024 / size
}'
