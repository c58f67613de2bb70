#!/usr/bin/env bash
# Times tagmill-cli with its progress line drawn on a pseudo-terminal against the same run with
# --no-progress, on the catalogue corpus, output to /dev/null: drawing the line must cost
# nothing measurable. script(1) gives both runs standard error on a pseudo-terminal, so that
# they differ only in the flag.
#
#   bench/progress_compare.sh [CORPUS_DIR]
#
#   TAGMILL_CORPUS=DIR  catalogue corpus (default /tmp/tagmill-corpus, made by make_corpus)
#   TAGMILL_BUILD=DIR   build folder whose programs run (default build/)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
corpus=${1:-${TAGMILL_CORPUS:-/tmp/tagmill-corpus}}
build=${TAGMILL_BUILD:-$top/build}

"$top/scripts/deps.sh" hyperfine bsdutils
if [[ ! -x "$build/bin/tagmill-cli" || ! -x "$build/bin/make_corpus" ]]; then
    [[ -f "$build/build.ninja" ]] ||
        cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAGMILL_WERROR=ON
    cmake --build "$build" --target tagmill-cli make_corpus
fi
[[ -d "$corpus" ]] || "$build/bin/make_corpus" "$corpus"
cat "$corpus"/*.xml >/dev/null

cli=$build/bin/tagmill-cli
# Three times over, so that the run lasts well past the half second before the first drawing.
run="$cli --option 2 --tag price --scan $corpus --scan $corpus --scan $corpus >/dev/null"
hyperfine --warmup 2 --runs 10 --export-markdown /tmp/tagmill-compare-progress.md \
    -n progress "script -qfec '$run --progress' /dev/null" \
    -n no-progress "script -qfec '$run --no-progress' /dev/null"
