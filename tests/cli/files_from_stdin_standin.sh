#!/usr/bin/env bash
# Stands in for tagmill-cli in the split run's test until the program reads "--files-from -"
# itself: the list on standard input goes to a temporary file, named in its place; every other
# argument reaches the real program (TAGMILL_REAL_CLI) unchanged. Each list so read adds a line
# to STANDIN_LOG, so the test sees how many blocks were searched.
set -euo pipefail

args=()
list=
for arg in "$@"; do
    if [[ $arg == - && ${#args[@]} -gt 0 && ${args[-1]} == --files-from ]]; then
        list=$(mktemp)
        cat >"$list"
        echo block >>"$STANDIN_LOG"
        arg=$list
    fi
    args+=("$arg")
done
status=0
"$TAGMILL_REAL_CLI" "${args[@]}" || status=$?
[[ -z $list ]] || rm -f "$list"
exit "$status"
