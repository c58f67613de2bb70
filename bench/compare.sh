#!/usr/bin/env bash
# Times tagmill-cli against ripgrep and cat, side by side in hyperfine runs with a warm page
# cache and output to /dev/null, and measures tagmill-cli's peak memory:
#  1. options 1 to 4 and ripgrep's nearest equivalents, cat beside them, on the catalogue corpus,
#     then the peak memory of option 4;
#  a. option 2 with one tag (price) against cat of the same files, on their own;
#  b. option 2 with 200 tags (the corpus's 8 element names and 192 absent ones, from a tag list
#     file) against option 2 with one tag;
#  c. option 2 against ripgrep on the short-values corpus (870,000 <entry> values, mostly
#     outside ASCII), with both programs' row counts;
#  d. option 2 against cat on a 20 GB sparse file (holes, then 3,000 <price> elements at its
#     end), with fewer runs, and tagmill-cli's peak memory on it.
#
#   bench/compare.sh [CORPUS_DIR [SHORT_DIR [SPARSE_FILE]]]
#
# Each place may also come from the environment; an argument wins. Missing ones are made.
#   TAGMILL_CORPUS=DIR     catalogue corpus (default /tmp/tagmill-corpus, by make_corpus)
#   TAGMILL_SHORT=DIR      short-values corpus (default /tmp/tagmill-short, by make_short_values)
#   TAGMILL_SPARSE=FILE    sparse file (default /tmp/tagmill-sparse.xml)
#   TAGMILL_SPARSE_SIZE=N  its size before the elements, for truncate -s (default 20G)
#   TAGMILL_BUILD=DIR      build folder whose programs run (default build/)
#   TAGMILL_SPARSE_DATA_KB=N  cap on tagmill-cli's writable memory (ulimit -d, in KB) in (d),
#                          so that an engine holding the whole file fails instead of pushing the
#                          machine out of memory; default half the memory available at the
#                          start, "unlimited" for none. Read-only mappings of the file don't count.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
corpus=${1:-${TAGMILL_CORPUS:-/tmp/tagmill-corpus}}
short=${2:-${TAGMILL_SHORT:-/tmp/tagmill-short}}
sparse=${3:-${TAGMILL_SPARSE:-/tmp/tagmill-sparse.xml}}
sparse_size=${TAGMILL_SPARSE_SIZE:-20G}
build=${TAGMILL_BUILD:-$top/build}
data_kb=${TAGMILL_SPARSE_DATA_KB:-$(awk '/^MemAvailable:/ { print int($2 / 2) }' /proc/meminfo)}

"$top/scripts/deps.sh" ripgrep hyperfine time
if [[ ! -x "$build/bin/tagmill-cli" || ! -x "$build/bin/make_corpus" ||
    ! -x "$build/bin/make_short_values" ]]; then
    [[ -f "$build/build.ninja" ]] ||
        cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAGMILL_WERROR=ON
    cmake --build "$build" --target tagmill-cli make_corpus make_short_values
fi
[[ -d "$corpus" ]] || "$build/bin/make_corpus" "$corpus"
[[ -d "$short" ]] || "$build/bin/make_short_values" "$short"
if [[ ! -f "$sparse" ]]; then
    truncate -s "$sparse_size" "$sparse"
    awk 'BEGIN { print ""; for (i = 0; i < 3000; i++) print "<price currency=\"EUR\">12.34</price>" }' \
        >> "$sparse"
fi

cli="$build/bin/tagmill-cli"
files="$corpus/*.xml"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
tags="$scratch/tags.txt"
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
stat -c %s $files | sort -n | tail -1

echo
echo "== (a) option 2, one tag, against cat: $corpus"
hyperfine --warmup 2 --runs 10 --export-markdown /tmp/tagmill-compare-cat.md \
    -n "cat" "cat $files" \
    -n "tagmill option 2" "$cli --option 2 --tag price $files"

echo
echo "== (b) option 2, 200 tags against one tag: $corpus"
{
    printf '%s\n' catalogue product name price description tags tag dimensions
    seq -f 'absent%03g' 1 192
} > "$tags"
echo "Tags in the list: $(wc -l < "$tags")"
echo "Rows: one tag $("$cli" --option 2 --tag price $files | wc -l)," \
    "200 tags $("$cli" --option 2 --tags-from "$tags" $files | wc -l)"
hyperfine --warmup 2 --runs 10 --export-markdown /tmp/tagmill-compare-tags.md \
    -n "tagmill option 2, 1 tag" "$cli --option 2 --tag price $files" \
    -n "tagmill option 2, 200 tags" "$cli --option 2 --tags-from $tags $files"

echo
echo "== (c) option 2 against rg on short values: $short"
short_files="$short/*.xml"
cat $short_files > /dev/null # warm the page cache
short_rg="rg -i -o -P --no-filename '<entry[^>]*>\K[^<]*(?=</entry>)' $short_files"
echo "Rows: tagmill-cli $("$cli" --option 2 --tag entry $short_files | wc -l)," \
    "rg $(eval "$short_rg" | wc -l)"
hyperfine --warmup 2 --runs 10 --export-markdown /tmp/tagmill-compare-short.md \
    -n "tagmill option 2" "$cli --option 2 --tag entry $short_files" \
    -n "rg option 2" "$short_rg"

echo
echo "== (d) option 2 against cat on a sparse file: $sparse ($(stat -c %s "$sparse") bytes)"
cat "$sparse" > /dev/null # warm the page cache
echo "Peak memory of tagmill-cli (KB), writable memory capped at $data_kb KB:"
if (ulimit -d "$data_kb" && /usr/bin/time -o "$scratch/memory" -f "%M" \
    "$cli" --option 2 --tag price "$sparse" > /dev/null); then
    cat "$scratch/memory"
    (ulimit -d "$data_kb" && hyperfine --warmup 1 --runs 3 \
        --export-markdown /tmp/tagmill-compare-sparse.md \
        -n "cat" "cat '$sparse'" \
        -n "tagmill option 2" "$cli --option 2 --tag price '$sparse'")
else
    echo "tagmill-cli failed under the cap ($(tr '\n' ' ' < "$scratch/memory")); only cat is timed"
    hyperfine --warmup 1 --runs 3 --export-markdown /tmp/tagmill-compare-sparse.md \
        -n "cat" "cat '$sparse'"
fi
