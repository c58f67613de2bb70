#!/usr/bin/env bash
# Starts the real program on the X server in DISPLAY and waits until its window, titled Tagmill,
# is shown; then ends it. Usage: smoke_test.sh PROGRAM (CTest runs it under xvfb-run).
set -euo pipefail
program=$1
export QT_QPA_PLATFORM=xcb
source "$(dirname "$0")/program_env.sh"

start_program "$program"
cleanup() {
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    cleanup_program_env
}
trap cleanup EXIT

if ! timeout 30 xdotool search --sync --onlyvisible --name '^Tagmill$' >/dev/null; then
    echo "no window titled Tagmill appeared within 30 seconds; the windows shown:" >&2
    xdotool search --onlyvisible --name '.' getwindowname %@ >&2 || true
    exit 1
fi
kill -0 "$pid"
# The caption stays Tagmill, although the program has a display name that Qt may add to it.
window=$(xdotool search --onlyvisible --name '^Tagmill$' | head -n 1)
if [ "$(xprop -id "$window" _NET_WM_NAME)" != '_NET_WM_NAME(UTF8_STRING) = "Tagmill"' ]; then
    echo "the window's title is not Tagmill: $(xprop -id "$window" _NET_WM_NAME)" >&2
    exit 1
fi
check_opened
echo "the window Tagmill is shown"
