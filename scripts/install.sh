#!/usr/bin/env bash
# install.sh BUILD_DIR PROGRAM_DIR [--demo]
# Lays out a program folder outside the build tree: the executable, its sound
# and mail modules, the skin and the alert sound are replaced, the store is
# created only when absent, so a user's parcel book survives every rebuild. Also installs the menu entry.
# With --demo the new store gets the demo's parcels (simulated by the program
# in demo mode) and no menu entry is made.
set -euo pipefail
build=$1 dir=$2 demo=${3:-}
here=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$dir/db"
chmod 700 "$dir/db" # the parcel book is its owner's alone
install -m 755 "$build/jianzongbao" "$dir/jianzongbao"
install -m 644 "$build/jianzongbao-sound.so" "$build/jianzongbao-mail.so" "$dir/"
install -m 644 "$here/resources/skinh.she" "$here/resources/ts.mp3" "$here/resources/help.html" \
    "$dir/"
if [ ! -e "$dir/db/kd100.db" ]; then
    "$build/jianzongbao-makedb" "$here/db/seed.sql" "$dir/db/kd100.db"
    if [ "$demo" = "--demo" ]; then
        "$build/jianzongbao-makedb" --add "$here/db/demo.sql" "$dir/db/kd100.db"
    fi
    echo "store created: $dir/db/kd100.db"
fi
if [ "$demo" != "--demo" ]; then
    apps=${XDG_DATA_HOME:-$HOME/.local/share}/applications
    icons=${XDG_DATA_HOME:-$HOME/.local/share}/icons/hicolor/64x64/apps
    mkdir -p "$apps" "$icons"
    install -m 644 "$here/resources/images/jianzongbao.png" "$icons/jianzongbao.png"
    sed "s|@EXEC@|$dir/jianzongbao|" \
        "$here/resources/jianzongbao.desktop" > "$apps/jianzongbao.desktop"
fi
