#!/usr/bin/env bash
# launch.sh BUILD_DIR PROGRAM_DIR PORT: starts the local gateway, then the
# program against it; the gateway stops when the program ends. Without a
# display the program runs under Xvfb.
set -euo pipefail
build=$1 dir=$2 port=$3
# The program folder's gateway.conf, when there is one, holds the enterprise
# account for live mode (and the phones some couriers ask for).
conf=()
[ -f "$dir/gateway.conf" ] && conf=(--config "$dir/gateway.conf")
"$build/jianzongbao-gateway" --port "$port" --speed "${JZB_SPEED:-1}" "${conf[@]}" &
gw=$!
trap 'kill $gw 2>/dev/null || true' EXIT INT TERM
for _ in $(seq 50); do
    curl -s -o /dev/null "http://127.0.0.1:$port/version.txt" && break
    sleep 0.1
done
export JZB_GATEWAY=${JZB_GATEWAY:-http://127.0.0.1:$port}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1024x768x24" "$dir/jianzongbao"
else
    "$dir/jianzongbao"
fi
