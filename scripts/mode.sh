#!/usr/bin/env bash
# mode.sh PROGRAM_DIR: says whether `make run` tracks real parcels (an
# enterprise account in JZB_CUSTOMER/JZB_KEY or PROGRAM_DIR/gateway.conf) or
# simulates them. The gateway decides the same way when it starts.
dir=$1
conf="$dir/gateway.conf"
has() { [ -f "$conf" ] && grep -Eq "^[[:space:]]*$1[[:space:]]*=[[:space:]]*[^[:space:]]" "$conf"; }
if { [ -n "${JZB_CUSTOMER:-}" ] || has customer; } && { [ -n "${JZB_KEY:-}" ] || has key; }; then
    echo "make run: live mode - real parcels through your enterprise account of the tracking service"
else
    echo "make run: simulation - no enterprise account set (see \"Tracking real parcels\" in README.md)"
fi
