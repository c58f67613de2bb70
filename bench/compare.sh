#!/usr/bin/env bash
# Times tagmill-cli against ripgrep and cat on the benchmark corpus, side by side in one run,
# with a warm page cache and output to /dev/null, then measures tagmill-cli's peak memory.
#
#   bench/compare.sh [CORPUS_DIR]     (default /tmp/tagmill-corpus, made when missing)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
corpus=${1:-/tmp/tagmill-corpus}

"$top/scripts/deps.sh" ripgrep hyperfine time
[[ -x "$top/build/bin/tagmill-cli" ]] || "$top/scripts/build.sh"
[[ -d "$corpus" ]] || "$top/build/bin/make_corpus" "$corpus"

cli="$top/build/bin/tagmill-cli"
files="$corpus/*.xml"
cat $files > /dev/null # warm the page cache

hyperfine --warmup 2 --runs 10 --export-markdown /tmp/tagmill-compare.md \
    -n "cat" "cat $files" \
    -n "tagmill option 2" "$cli --option 2 --tag price $files" \
    -n "rg option 2" "rg -i -o -P --no-filename '<price[^>]*>\K[^<]*(?=</price>)' $files" \
    -n "tagmill option 1" "$cli --option 1 --tag price $files" \
    -n "rg option 1" "rg -i -o --no-filename '<price.*?</price>' $files" \
    -n "tagmill option 3" "$cli --option 3 --tag price $files" \
    -n "rg option 3" "rg -i --no-filename '<price' $files" \
    -n "tagmill option 4" "$cli --option 4 --tag price $files" \
    -n "rg option 4" "rg -o --no-filename -r '\$1' '\"([^\"]*)\"' $files"

echo
echo "Peak memory of tagmill-cli (KB), option 4, every quoted value of the corpus:"
/usr/bin/time -f "%M" "$cli" --option 4 --tag price $files 2>&1 >/dev/null | tail -1
echo "Largest file (bytes):"
ls -S $files | head -1 | xargs stat -c %s
