#!/usr/bin/env bash
# with_tray.sh COMMAND...: runs COMMAND on this X display with a system tray
# (trayer, a small stand-alone tray host) beside it.
set -euo pipefail
trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
tray=$!
trap 'kill $tray 2>/dev/null || true' EXIT
"$@"
