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

# Starts the program on a store of the tags and the extra settings given, waits for a window
# of the title given, changes the tags in the store behind its back, sends the signal, and
# expects a normal exit that wrote the tags it read back.
# Usage: end_by_signal LABEL SIGNAL TITLE [SETTING]...
end_by_signal() {
    local label=$1 signal=$2 title=$3 extra
    shift 3
    extra=$(printf '%s\n' "$@")
    printf '[Tagmill]\nTags=%s\n%s\n' "$tags" "$extra" >"$store"
    start_program "$program"
    if ! timeout 30 xdotool search --sync --onlyvisible --name "^$title\$" >/dev/null; then
        echo "$label: no window titled $title appeared within 30 seconds" >&2
        exit 1
    fi
    printf '[Tagmill]\nTags=changed\n%s\n' "$extra" >"$store"
    kill -s "$signal" "$pid"
    timeout 30 tail --pid="$pid" -f /dev/null || {
        echo "$label: the program did not end within 30 seconds" >&2
        exit 1
    }
    local status=0
    wait "$pid" || status=$?
    pid=
    if [ "$status" -ne 0 ]; then
        echo "$label: the program ended with status $status, not 0" >&2
        exit 1
    fi
    local saved
    saved=$(sed -n 's/^Tags=//p' "$store")
    if [ "$saved" != "$tags" ]; then
        echo "$label: Tags=$saved after the end, expected Tags=$tags" >&2
        exit 1
    fi
    echo "$label: closed normally and saved the tags"
}

for signal in TERM HUP INT; do
    end_by_signal "SIG$signal" "$signal" Tagmill
done
# A check box setting that is no number gives an error box while the window opens, after the
# tags were read; the window has not shown yet.
end_by_signal "TERM during a box of the opening" TERM "Application Error" Check1=7
check_opened
