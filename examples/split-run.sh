#!/usr/bin/env bash
# One tagmill-cli run spread over several machines with GNU parallel, ending in one table.
#
# The file list, one entry a line, comes on standard input. parallel cuts it into blocks of
# whole lines (--pipe); each block is searched by `tagmill-cli --files-from -` on one of the
# hosts, which writes its rows as JSON lines; parallel hands the rows back in the list's order
# (--keep-order), and one `tagmill-cli --rows-from -` here writes the report, the workbook or
# any other format from them, as one run over the whole list would have.
#
# usage: split-run.sh [-S SSHLOGINS] [--block SIZE] SEARCH_OPTION... --then WRITE_OPTION...
#
#   -S SSHLOGINS   where the blocks are searched, as parallel's -S takes them: "8/alpha,8/beta"
#                  runs 8 searches at once on each of two hosts, ":" is this machine. Without
#                  it, this machine runs as many at once as it has cores. tagmill-cli must be
#                  on each host's path (or TAGMILL_CLI name it at the same place on each), and
#                  the files at the same paths on every host: a shared mount.
#   --block SIZE   how much of the list each search takes (parallel's --block; default 1M).
#   SEARCH_OPTION  what every search takes: --option N, --tag TAG, --ext EXT (a --tags-from
#                  LIST must be on every host).
#   WRITE_OPTION   what the final write takes: --with-filename, --format FORMAT, --output FILE.
#
# The exit status is not 0 when any search or the write failed; a file that could not be read
# is named on standard error and the table is still written from every other file.
#
# Files that are not on a shared mount can be sent along with each job instead, at the cost of
# copying them (parallel puts them below the login's home folder, and the rows then name them
# as given, relative to it):
#   parallel -S alpha,beta -X --transferfile {} --cleanup \
#       tagmill-cli --option 2 --tag price -- {} < list.txt | tagmill-cli --rows-from - ...
#
# example:
#   find /mnt/catalogues -name '*.xml' |
#       examples/split-run.sh -S 4/alpha,4/beta,: --option 2 --tag price \
#           --then --with-filename --format xlsx --output prices.xlsx
set -euo pipefail

usage() {
    echo "usage: split-run.sh [-S SSHLOGINS] [--block SIZE] SEARCH_OPTION... --then WRITE_OPTION..." >&2
    exit 2
}

hosts=()
block=1M
search=()
write=()
while [[ $# -gt 0 && $1 != --then ]]; do
    case $1 in
    -S) [[ $# -ge 2 ]] || usage; hosts=(-S "$2"); shift 2 ;;
    --block) [[ $# -ge 2 ]] || usage; block=$2; shift 2 ;;
    *) search+=("$1"); shift ;;
    esac
done
[[ $# -gt 0 ]] || usage
shift
write=("$@")

cli=${TAGMILL_CLI:-tagmill-cli}
# -q quotes every word for the remote shell, so tags with blanks or quotes arrive as given;
# --will-cite keeps parallel from asking for a citation on its first use.
parallel --will-cite -q "${hosts[@]}" --pipe --block "$block" --keep-order \
    "$cli" --files-from - "${search[@]}" |
    "$cli" --rows-from - "${write[@]}"
