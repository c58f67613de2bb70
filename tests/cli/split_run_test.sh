#!/usr/bin/env bash
# examples/split-run.sh on this machine with two job slots, the list cut into many blocks: the
# rows gathered equal one run's byte for byte, the report too, and the workbook equals one run's
# part for part (all but the moment it was made).
# usage: split_run_test.sh TAGMILL_CLI SOURCE_DIR
set -euo pipefail

cli=$(realpath "$1")
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# parallel keeps its settings below the home folder; the test's own, so nothing of the user's
# is read or written. Standard input is the list, never a terminal parallel could wait on.
export HOME=$work/home
mkdir -p "$HOME" "$work/files"

# Files of no, one and many values, with values and names that need escaping and quoting.
odd_name=$(printf ', "q" \xc3\xa9')
odd_value=$(printf ',\t"\\ \xf0\x9f\x98\x80 =1')
for i in $(seq 1 400); do
    name="$work/files/f$i.xml"
    [[ $((i % 37)) -ne 0 ]] || name="$work/files/f$i$odd_name.xml"
    {
        for v in $(seq 1 $((i % 9))); do
            extra=
            [[ $((v % 4)) -ne 0 ]] || extra=$odd_value
            printf '<v>%s.%s%s</v>\n' "$i" "$v" "$extra"
        done
        printf '<w>none</w>\n'
    } >"$name"
done
find "$work/files" -type f | sort >"$work/list.txt"

fail() {
    echo "split_run_test: $*" >&2
    exit 1
}

one() {
    "$cli" --option 2 --tag v --files-from "$work/list.txt" "$@"
}

# parallel takes further options from $PARALLEL: its job log shows how many blocks were searched.
split() {
    TAGMILL_CLI=$cli PARALLEL="--joblog $work/blocks" "$source/examples/split-run.sh" \
        -S 2/: --block 2k --option 2 --tag v --then "$@" <"$work/list.txt"
}

one >"$work/one.jsonl"
split >"$work/split.jsonl"
[[ $(wc -l <"$work/one.jsonl") -gt 1000 ]] || fail "too few rows to show anything"
[[ $(($(wc -l <"$work/blocks") - 1)) -ge 4 ]] || fail "the list was not cut into blocks"
cmp "$work/one.jsonl" "$work/split.jsonl" || fail "the gathered rows differ from one run's"

one --with-filename --format report >"$work/one.txt"
split --with-filename --format report >"$work/split.txt"
cmp "$work/one.txt" "$work/split.txt" || fail "the report differs from one run's"

for filename in "" --with-filename; do
    one $filename --format xlsx --output "$work/one.xlsx"
    split $filename --format xlsx --output "$work/split.xlsx"
    parts=$(unzip -Z1 "$work/one.xlsx" | grep -v '^docProps/core.xml$')
    [[ $parts == *xl/worksheets/sheet1.xml* ]] || fail "no sheet in the workbook"
    [[ $parts == "$(unzip -Z1 "$work/split.xlsx" | grep -v '^docProps/core.xml$')" ]] ||
        fail "the workbooks' parts differ"
    for part in $parts; do
        # unzip takes the name as a pattern, where "[" opens a set of characters.
        pattern=${part//[/[[]}
        cmp <(unzip -p "$work/one.xlsx" "$pattern") <(unzip -p "$work/split.xlsx" "$pattern") ||
            fail "the workbook's $part differs from one run's ($filename)"
    done
done
echo "split_run_test: the split run equals one run"
