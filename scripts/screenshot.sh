#!/usr/bin/env bash
# Makes docs/tagmill.png: the window after a sample run, as a new user sees it. Runs the built
# program on a virtual X server with a fresh home folder, presses "Load Sample/Example Files"
# (answering No to opening the folder), ticks "Include filename in extraction results", presses
# "Start Extracting", and takes the window's picture.
#
# The file list and the results show the samples' full paths, so the program runs from a copy of
# its installed folder in /opt/tagmill (made through sudo when not root, removed at the end): the
# picture shows that folder, never the folder this machine builds in.
#
#   scripts/screenshot.sh [OUTPUT.png]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
output=${1:-$top/docs/tagmill.png}

"$top/scripts/deps.sh" x11-apps netpbm
"$top/scripts/build.sh" >/dev/null # the samples beside the program must be today's

programs=/opt/tagmill
# A folder already there may be someone's; it is neither used nor removed.
[[ ! -e $programs ]] || { echo "$programs is in the way" >&2; exit 1; }
as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(sudo)

scratch=$(mktemp -d)
display=:$((100 + RANDOM % 400))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
    kill "${program:-}" "$xvfb" 2>/dev/null || true
    rm -rf "$scratch"
    "${as_root[@]}" rm -rf "$programs"
}
trap cleanup EXIT
cmake --install "$top/build" --prefix "$scratch/prefix" >/dev/null
"${as_root[@]}" cp -r "$scratch/prefix/lib/tagmill" "$programs"
export DISPLAY=$display HOME=$scratch XDG_CONFIG_HOME=$scratch/.config
sleep 1

"$programs/tagmill" &
program=$!

# Waits for a window of this title and gives its id.
window() {
    for _ in $(seq 50); do
        if id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) && [[ -n "$id" ]]; then
            echo "$id"
            return
        fi
        sleep 0.2
    done
    echo "no window called $1" >&2
    return 1
}

# Clicks a control of the main window at its position in twips (15 to a pixel), plus a margin.
click() {
    eval "$(xdotool getwindowgeometry --shell "$main")"
    xdotool mousemove $((X + $1 / 15 + 20)) $((Y + $2 / 15 + 10)) click 1
}

main=$(window Tagmill)
click 4080 2290     # Load Sample/Example Files
sleep 1
xdotool key n       # No: do not open the samples folder
sleep 0.5
click 8280 2280     # Include filename in extraction results
sleep 0.5
click 8040 2800     # Start Extracting
sleep 2
xdotool key Return  # the "Done." box
sleep 1
xwd -id "$main" -silent | xwdtopnm 2>/dev/null | pnmtopng > "$output"
echo "wrote $output"
