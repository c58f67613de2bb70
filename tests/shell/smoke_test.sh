#!/usr/bin/env bash
# Starts the real program on the X server in DISPLAY and waits until its window, titled Tagmill,
# is shown; then ends it. Usage: smoke_test.sh PROGRAM (CTest runs it under xvfb-run).
set -euo pipefail
program=$1
export QT_QPA_PLATFORM=xcb
# A settings file of its own, so the user's tags are neither read nor overwritten.
XDG_CONFIG_HOME=$(mktemp -d)
export XDG_CONFIG_HOME

"$program" &
pid=$!
cleanup() {
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    rm -rf "$XDG_CONFIG_HOME"
}
trap cleanup EXIT

if ! timeout 30 xdotool search --sync --onlyvisible --name '^Tagmill$' >/dev/null; then
    echo "no window titled Tagmill appeared within 30 seconds; the windows shown:" >&2
    xdotool search --onlyvisible --name '.' getwindowname %@ >&2 || true
    exit 1
fi
kill -0 "$pid"
echo "the window Tagmill is shown"
