#!/usr/bin/env bash
# A shutdown or logout ends the program by a signal; it must close the way its close box does,
# saving the tags. For each of SIGTERM, SIGHUP and SIGINT: start the real program with saved
# tags, wait for its window, change the tags in the settings file behind its back, send the
# signal, and expect a normal exit that wrote the window's tags back. Then the same with a TERM
# while an error box of the opening sequence is up, before the window ever shows.
# Usage: end_signals_test.sh PROGRAM (CTest runs it under xvfb-run).
set -euo pipefail
program=$1
export QT_QPA_PLATFORM=xcb
source "$(dirname "$0")/program_env.sh"
pid=
cleanup() {
    if [ -n "$pid" ]; then
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    cleanup_program_env
}
trap cleanup EXIT

store=$XDG_CONFIG_HOME/Veldcraft.ini
tags='td||MySeparator12||||MySeparator12||a b'

for signal in TERM HUP INT; do
    printf '[Tagmill]\nTags=%s\n' "$tags" >"$store"
    start_program "$program"
    if ! timeout 30 xdotool search --sync --onlyvisible --name '^Tagmill$' >/dev/null; then
        echo "SIG$signal: no window titled Tagmill appeared within 30 seconds" >&2
        exit 1
    fi
    printf '[Tagmill]\nTags=changed\n' >"$store"
    kill -s "$signal" "$pid"
    status=0
    timeout 30 tail --pid="$pid" -f /dev/null || {
        echo "SIG$signal: the program did not end within 30 seconds" >&2
        exit 1
    }
    wait "$pid" || status=$?
    pid=
    if [ "$status" -ne 0 ]; then
        echo "SIG$signal: the program ended with status $status, not 0" >&2
        exit 1
    fi
    saved=$(sed -n 's/^Tags=//p' "$store")
    if [ "$saved" != "$tags" ]; then
        echo "SIG$signal: Tags=$saved after the end, expected Tags=$tags" >&2
        exit 1
    fi
    echo "SIG$signal: closed normally and saved the tags"
done

# A check box setting that is no number gives an error box while the window opens, after the
# tags were read.
printf '[Tagmill]\nTags=%s\nCheck1=7\n' "$tags" >"$store"
start_program "$program"
if ! timeout 30 xdotool search --sync --onlyvisible --name '^Application Error$' >/dev/null; then
    echo "opening box: no box titled Application Error appeared within 30 seconds" >&2
    exit 1
fi
printf '[Tagmill]\nTags=changed\nCheck1=7\n' >"$store"
kill -s TERM "$pid"
timeout 30 tail --pid="$pid" -f /dev/null || {
    echo "opening box: the program did not end within 30 seconds of a TERM" >&2
    exit 1
}
status=0
wait "$pid" || status=$?
pid=
if [ "$status" -ne 0 ]; then
    echo "opening box: the program ended with status $status, not 0" >&2
    exit 1
fi
saved=$(sed -n 's/^Tags=//p' "$store")
if [ "$saved" != "$tags" ]; then
    echo "opening box: Tags=$saved after the end, expected Tags=$tags" >&2
    exit 1
fi
echo "TERM during a box of the opening: closed normally and saved the tags"
check_opened
