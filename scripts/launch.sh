#!/usr/bin/env bash
# launch.sh PROGRAM_DIR [--demo]: starts the installed program, alone: it asks
# the tracking service itself. With --demo its parcels are simulated (and the
# window says so). Without a display the program runs under Xvfb.
set -euo pipefail
dir=$1 demo=${2:-}
args=()
[ "$demo" = "--demo" ] && args=(--demo)
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$dir/jianzongbao" "${args[@]}"
fi
exec "$dir/jianzongbao" "${args[@]}"
