#!/usr/bin/env bash
# Times tagmill-cli's file formats side by side, output to /dev/null or a scratch folder:
#  1. the report and comma formats against csv on the benchmark corpus (warm page cache);
#  2. a workbook of one million rows against LibreOffice converting the same rows from CSV,
#     then the peak memory of tagmill-cli writing that workbook.
#
#   bench/output_compare.sh [CORPUS_DIR]     (default /tmp/tagmill-corpus, made when missing)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
corpus=${1:-/tmp/tagmill-corpus}
bin=${TAGMILL_BUILD:-$top/build}/bin
cli="$bin/tagmill-cli"

"$top/scripts/deps.sh" hyperfine time libreoffice-calc-nogui
[[ -x "$cli" ]] || "$top/scripts/build.sh"
[[ -d "$corpus" ]] || "$bin/make_corpus" "$corpus"

files="$corpus/*.xml"
cat $files > /dev/null # warm the page cache
for option in 2 4; do
    hyperfine --warmup 2 --runs 10 \
        -n "csv, option $option" "$cli --option $option --tag price --with-filename --format csv $files" \
        -n "report, option $option" "$cli --option $option --tag price --with-filename --format report $files" \
        -n "comma, option $option" "$cli --option $option --tag price --with-filename --format comma $files"
done

# One million short values in 100 files, with their file names: two columns of a million rows.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/rows"
for f in $(seq -w 0 99); do
    awk -v f="$f" 'BEGIN { print "<rows>"; for (i = 0; i < 10000; i++)
        printf "<v id=\"%d\">value %s-%d é</v>\n", i, f, i * 7919 % 100000; print "</rows>" }' \
        > "$scratch/rows/file-$f.xml"
done
rows="$scratch/rows/*.xml"
"$cli" --option 2 --tag v --with-filename --format csv --output "$scratch/rows.csv" $rows
echo "Rows in the CSV, header included: $(wc -l < "$scratch/rows.csv")"
profile="file://$scratch/profile"
hyperfine --warmup 1 --runs 3 \
    -n "tagmill-cli --format xlsx" \
    "$cli --option 2 --tag v --with-filename --format xlsx --output $scratch/tagmill.xlsx $rows" \
    -n "soffice --convert-to xlsx" \
    "soffice -env:UserInstallation=$profile --headless --convert-to xlsx --outdir $scratch/soffice $scratch/rows.csv"

echo
echo "Peak memory of tagmill-cli writing the workbook (KB):"
/usr/bin/time -f "%M" "$cli" --option 2 --tag v --with-filename --format xlsx \
    --output "$scratch/tagmill.xlsx" $rows 2>&1 | tail -1
