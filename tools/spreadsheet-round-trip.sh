#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes every category's balance table of a document through a real spreadsheet and back, as a
# modder would who opens the exported file, changes nothing and saves it: velmora-ini exports each
# table, LibreOffice (headless) opens and saves the files, and velmora-ini imports them again. Four
# ways, each with LibreOffice's default options but for what the way names:
#   csv          CSV as exported, saved as CSV
#   csv-special  CSV read with "detect special numbers" (dates, times, percents, TRUE/FALSE)
#   csv-german   CSV read as a spreadsheet set to German reads it (decimal commas), saved with ";"
#   xlsx         the .xlsx workbook, saved as .xlsx
# For each way it prints the tables and cells taken through, the changes the imports found and the
# cells they left out as mangled, and checks that the document saved after all the imports has the
# bytes `velmora-ini format` writes for it: nothing changed. Exits 1 when anything did.
#
#   tools/spreadsheet-round-trip.sh BUILD_DIR DIR DOC [--plant]
#
# BUILD_DIR holds velmora-ini (cli/velmora-ini); DIR is the program folder and DOC the document,
# as velmora-ini takes them. Nothing in DIR is written: the work is done on a copy in a temporary
# folder, whose name is printed. --plant first writes into the copy, over the keys of the first
# entries of each category, values that spreadsheets are known to rewrite ("007", "0,255,255",
# "=1+1", a 20-digit number, "1e3", "true", ".5", "50%", "1/2", "Jan 5"...).
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh
velmora_install_deps libreoffice-calc-nogui locales

usage() { echo "usage: $0 BUILD_DIR DIR DOC [--plant]" >&2; exit 2; }
[ $# -ge 3 ] && [ $# -le 4 ] || usage
tool=$(realpath "$1/cli/velmora-ini")
dir=$(realpath "$2")
doc=$(realpath "$3")
plant=${4:-}
[ -z "$plant" ] || [ "$plant" = --plant ] || usage
[ -x "$tool" ] || { echo "no velmora-ini in $1/cli" >&2; exit 2; }

# The German way needs the locale; Debian generates it once asked for.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    $sudo locale-gen >/dev/null
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-round-trip.XXXXXX")
echo "Working in $work"
cp -r "$dir" "$work/folder"
relative=$(realpath --relative-to="$dir" "$doc")
case "$relative" in
    ../*) cp "$doc" "$work/folder/"; relative=$(basename "$doc") ;;
esac
folder=$work/folder
cd "$folder"
velmora() { "$tool" "$@"; }

# The categories with entries, as the editor lists them.
mapfile -t categories < <(velmora catalogue . "$relative" | sed -n 's/^\[\(.*\)\] kind=[0-9]* entries=\([0-9]*\)$/\1 \2/p' |
    awk '$NF > 0 { $NF = ""; sub(/ $/, ""); print }')

if [ "$plant" = --plant ]; then
    values=('007' '=1+1' '0,255,255' '12345678901234567890' '1e3' 'true' '.5' '1.0' '50%' '+5' '-5' '@x'
            '1/2' '1:30' 'Jan 5' '="x"' '-3.25' '4.5' 'Café "q"' "'x" '0.30' '1,5' '-0' 'TRUE' '100.00' '12.5%')
    script=$work/plant.txt
    : >"$script"
    n=0
    for category in "${categories[@]}"; do
        velmora table . "$relative" "$category" >"$work/table.tsv"
        # The first two entries, every key but the code and the name.
        while IFS=$'\t' read -r code key; do
            printf 'set\t%s\t%s\t%s\n' "$code" "$key" "${values[n % ${#values[@]}]}" >>"$script"
            n=$((n + 1))
        done < <(awk -F'\t' 'NR == 1 { for (i = 3; i <= NF; ++i) key[i] = $i; next }
                             NR <= 3 { for (i = 3; i in key; ++i) print $1 "\t" key[i] }' "$work/table.tsv")
    done
    printf 'save\n' >>"$script"
    velmora edit . "$relative" <"$script"
    echo "Planted $(($(wc -l <"$script") - 1)) values a spreadsheet rewrites"
fi
velmora format "$relative" "$work/formatted.ini"

# Each table exported once in each format, and its cells counted.
mkdir -p "$work/exported"
cells=0
i=0
for category in "${categories[@]}"; do
    i=$((i + 1))
    velmora table . "$relative" "$category" >"$work/table.tsv"
    cells=$((cells + $(awk -F'\t' 'NR > 1 { n += NF - 1 } END { print n + 0 }' "$work/table.tsv")))
    velmora table . "$relative" "$category" --csv "$work/exported/$i.csv"
    velmora table . "$relative" "$category" --xlsx "$work/exported/$i.xlsx"
done
echo "$relative: $(wc -c <"$relative") bytes, ${#categories[@]} categories, $cells cells"

# One LibreOffice run per way, each with a profile of its own so that no setting carries over.
soffice_run() {
    local profile=$1 out=$2
    shift 2
    mkdir -p "$out"
    soffice "-env:UserInstallation=file://$work/profile-$profile" --headless "$@" --outdir "$out" >"$work/soffice-$profile.log" 2>&1
}

status=0
printf '%-12s %7s %9s %8s %9s  %s\n' way tables cells changes "left out" "saved document"
for way in csv csv-special csv-german xlsx; do
    ext=csv
    [ "$way" = xlsx ] && ext=xlsx
    exported=$work/exported
    saved=$work/$way/saved
    case $way in
        csv) soffice_run "$way" "$saved" --convert-to csv "$exported"/*.csv ;;
        csv-special) soffice_run "$way" "$saved" --infilter="CSV:44,34,76,1,,1033,false,true" --convert-to csv "$exported"/*.csv ;;
        csv-german) LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8 soffice_run "$way" "$saved" --infilter="CSV:44,34,76,1,,1031" \
                        --convert-to 'csv:Text - txt - csv (StarCalc):59,34,76,1,,1031' "$exported"/*.csv ;;
        xlsx) soffice_run "$way" "$saved" --convert-to xlsx "$exported"/*.xlsx ;;
    esac
    script=$work/$way/import.txt
    : >"$script"
    i=0
    for category in "${categories[@]}"; do
        i=$((i + 1))
        [ -f "$saved/$i.$ext" ] || { echo "LibreOffice did not save $way/$i.$ext (see $work/soffice-$way.log)" >&2; exit 1; }
        printf 'import-table\t%s\t%s\n' "$category" "$saved/$i.$ext" >>"$script"
    done
    printf 'save\n' >>"$script"
    velmora edit . "$relative" --output "$work/$way/imported.ini" <"$script" >"$work/$way/import.log"
    changes=$(sed -n 's/^\([0-9]*\) changes\?[:.]$/\1/p' "$work/$way/import.log" | awk '{ n += $1 } END { print n + 0 }')
    leftOut=$(sed -n 's/^Left out, as a spreadsheet changed them on its own (\([0-9]*\)):$/\1/p' "$work/$way/import.log" |
        awk '{ n += $1 } END { print n + 0 }')
    same="the same bytes"
    cmp -s "$work/$way/imported.ini" "$work/formatted.ini" || same="DIFFERENT bytes"
    printf '%-12s %7s %9s %8s %9s  %s\n' "$way" "${#categories[@]}" "$cells" "$changes" "$leftOut" "$same"
    if [ "$changes" != 0 ] || [ "$leftOut" != 0 ] || [ "$same" != "the same bytes" ]; then
        status=1
        grep -av '^0 changes\.$' "$work/$way/import.log" | head -20
    fi
done
exit $status
