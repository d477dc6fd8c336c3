#!/usr/bin/env bash
# setup.sh run|deb|test: installs the Debian packages that building and running
# 件踪宝 need (run), what building its package adds (deb), and what its tests
# add (test). Packages already present are skipped; apt-get runs as root, or
# through sudo.
set -euo pipefail
what=${1:-test}
run=(cmake g++ ninja-build make pkg-config qt6-base-dev libqt6sql6-sqlite qt6-multimedia-dev
     qt6-translations-l10n libcurl4-openssl-dev fonts-wqy-microhei gstreamer1.0-plugins-base
     gstreamer1.0-plugins-good ca-certificates libssl3)
deb=(dpkg-dev file lintian)
test=("${deb[@]}" qt6-httpserver-dev qt6-websockets-dev xvfb xauth imagemagick sox
      libsox-fmt-mp3 curl python3-aiosmtpd dbus-daemon openssl libxcb1-dev desktop-file-utils
      appstream trayer clang-format)
pkgs=("${run[@]}")
case $what in
run) # without a display the window runs under Xvfb
    [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && pkgs+=(xvfb xauth procps) ;;
deb) pkgs+=("${deb[@]}") ;;
test) pkgs+=("${test[@]}") ;;
*) echo "usage: setup.sh run|deb|test" >&2; exit 2 ;;
esac
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "件踪宝 needs these Debian packages; install them as root, then run make again: su -c 'apt-get install ${missing[*]}'" >&2
        exit 1
    fi
    as_root=(sudo)
fi
echo "installing: ${missing[*]}"
# env carries the frontend through sudo, so debconf asks nothing and prints nothing.
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
# Only apt's errors are shown; debconf's note that apt-utils is absent is none,
# nor is a package's note that it wrote its config file (lintian's Perl
# modules write one).
status=0
errors=$("${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    -o Dpkg::Use-Pty=0 --no-install-recommends "${missing[@]}" 2>&1 >/dev/null) || status=$?
grep -v -e '^debconf: delaying package configuration' -e '^Creating config file ' \
    -e '^Replacing config file ' <<<"$errors" >&2 || true
exit "$status"
