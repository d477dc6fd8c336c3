#!/usr/bin/env bash
# launch.sh PROGRAM_DIR [--demo]: starts the installed program, alone: it asks
# the tracking service itself. With --demo its parcels are simulated (and the
# window says so). Without a display the program runs under Xvfb, and says so.
set -euo pipefail
dir=$1
args=("${@:2}")
# Outside a desktop session nobody has made the user's runtime folder; Qt
# would warn and use one in /tmp.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR=$(mktemp -d "/tmp/jianzongbao-runtime-$(id -u).XXXXXX")
    export XDG_RUNTIME_DIR
    trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display here: 件踪宝 runs under Xvfb, where its window cannot be seen. Press Ctrl-C to end it."
    # In a session of its own, so that Ctrl-C does not end the X server under
    # the program: the program is ended first, then xvfb-run ends the server.
    # Xvfb's keymap warnings go nowhere.
    setsid xvfb-run -a -e /dev/null -s "-screen 0 1024x768x24 -nolisten tcp" \
        "$dir/jianzongbao" "${args[@]}" &
    session=$!
    trap 'pkill -TERM -s "$session" -x jianzongbao || true; ended=1' INT TERM
    status=0
    wait "$session" || status=$?
    if [ -n "${ended:-}" ]; then
        wait "$session" || true
        echo "件踪宝 ended."
        exit 0
    fi
    exit "$status"
fi
"$dir/jianzongbao" "${args[@]}"
