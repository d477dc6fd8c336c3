#!/usr/bin/env bash
# install.sh BUILD_DIR PROGRAM_DIR [--demo]
# Lays out a program folder outside the build tree: the executable, its sound
# and mail modules, the skin, the alert sound, the help page and the seed of a
# new book are replaced on every install. The folder is marked installed: the
# user's book lives in the user's data folder, where the program makes it (and
# moves a book an earlier version kept in PROGRAM_DIR/db). Also installs the
# menu entry and its icons.
# With --demo the folder keeps a book of its own in PROGRAM_DIR/db, made only
# when absent, with the demo's parcels (simulated by the program in demo
# mode), and no menu entry is made.
set -euo pipefail
build=$1 dir=$2 demo=${3:-}
here=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$dir"
install -m 755 "$build/jianzongbao" "$dir/jianzongbao"
install -m 644 "$build/jianzongbao-sound.so" "$build/jianzongbao-mail.so" "$build/jianzongbao-http.so" "$dir/"
install -m 644 "$here/resources/skinh.she" "$here/resources/ts.mp3" "$here/resources/help.html" \
    "$here/db/seed.sql" "$dir/"
if [ "$demo" = "--demo" ]; then
    mkdir -p "$dir/db"
    chmod 700 "$dir/db" # the parcel book is its owner's alone
    if [ ! -e "$dir/db/kd100.db" ]; then
        "$build/jianzongbao-makedb" "$here/db/seed.sql" "$dir/db/kd100.db"
        "$build/jianzongbao-makedb" --add "$here/db/demo.sql" "$dir/db/kd100.db"
        echo "demo book created: $dir/db/kd100.db"
    fi
    exit 0
fi
install -m 644 "$here/resources/installed" "$dir/installed"
share=${XDG_DATA_HOME:-$HOME/.local/share}
mkdir -p "$share/applications"
sed "s|@EXEC@|$dir/jianzongbao|" "$here/resources/jianzongbao.desktop" \
    > "$share/applications/jianzongbao.desktop"
for size in 48 64 128 256; do
    icon=$here/resources/images/jianzongbao-$size.png
    [ "$size" = 64 ] && icon=$here/resources/images/jianzongbao.png
    install -D -m 644 "$icon" "$share/icons/hicolor/${size}x$size/apps/jianzongbao.png"
done
install -D -m 644 "$here/resources/images/jianzongbao.svg" \
    "$share/icons/hicolor/scalable/apps/jianzongbao.svg"
echo "installed: $dir (your parcel book: $share/jianzongbao/db)"
