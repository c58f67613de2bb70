#!/usr/bin/env bash
# Times tagmill-cli's folder scan against find on the same tree, side by side in one run, with a
# warm cache and output to /dev/null.
#
#   bench/scan_compare.sh [TREE_DIR]     (default /tmp/tagmill-tree, made when missing)
#
# TAGMILL_BUILD names the build folder to use (default build/).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
tree=${1:-/tmp/tagmill-tree}
build=${TAGMILL_BUILD:-$top/build}

"$top/scripts/deps.sh" hyperfine
if [[ ! -x "$build/bin/tagmill-cli" || ! -x "$build/bin/make_tree" ]]; then
    [[ -f "$build/build.ninja" ]] ||
        cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAGMILL_WERROR=ON
    cmake --build "$build" --target tagmill-cli make_tree
fi
[[ -d "$tree" ]] || "$build/bin/make_tree" "$tree"

cli="$build/bin/tagmill-cli"
find "$tree" > /dev/null # warm the cache of folders and names

echo "Files found: find $(find "$tree" -type f -iname '*.xml' | wc -l)," \
    "tagmill-cli $("$cli" --scan "$tree" --ext xml --files | wc -l)"
hyperfine --warmup 3 --runs 20 --export-markdown /tmp/tagmill-scan-compare.md \
    -n "find" "find '$tree' -type f -iname '*.xml'" \
    -n "tagmill-cli" "'$cli' --scan '$tree' --ext xml --files"
