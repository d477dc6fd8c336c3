#!/usr/bin/env bash
# uninstall.sh PROGRAM_DIR: removes what install.sh put in place (the program
# folder's own files, the menu entry, its icons, the login start entry), never
# the user's parcel book, backups, mail relay or tracking account.
set -euo pipefail
dir=$1
share=${XDG_DATA_HOME:-$HOME/.local/share}
config=${XDG_CONFIG_HOME:-$HOME/.config}
for f in jianzongbao jianzongbao-sound.so jianzongbao-mail.so jianzongbao-http.so skinh.she ts.mp3 help.html \
    seed.sql installed; do
    rm -f "$dir/$f"
done
# A book an earlier version kept here stays, as does anything else not ours.
rmdir "$dir" 2>/dev/null || echo "kept: $dir (it holds files that are not the program's)"
rm -f "$share/applications/jianzongbao.desktop" "$config/autostart/jianzongbao.desktop" \
    "$share/icons/hicolor/scalable/apps/jianzongbao.svg"
for size in 48 64 128 256; do
    rm -f "$share/icons/hicolor/${size}x$size/apps/jianzongbao.png"
done
echo "件踪宝 removed. Your data stays: $share/jianzongbao (the parcel book and its backups)" \
    "and $config/jianzongbao (mail relay, tracking account); delete them yourself if you wish."
