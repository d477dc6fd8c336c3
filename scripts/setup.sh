#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running 件踪宝 need.
# Packages already present are skipped; apt-get runs as root, through sudo otherwise.
set -euo pipefail
pkgs=(cmake g++ ninja-build make pkg-config qt6-base-dev libqt6sql6-sqlite qt6-multimedia-dev
      qt6-httpserver-dev qt6-websockets-dev qt6-translations-l10n libcurl4-openssl-dev
      fonts-wqy-microhei xvfb xauth imagemagick gstreamer1.0-plugins-base
      gstreamer1.0-plugins-good sox libsox-fmt-mp3 curl python3-aiosmtpd libxcb1-dev
      dbus-daemon ca-certificates openssl libssl3)
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
