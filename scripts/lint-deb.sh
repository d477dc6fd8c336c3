#!/usr/bin/env bash
# lint-deb.sh PACKAGE.deb...: checks Debian packages as Debian would, with
# lintian: any error or warning fails; the info, pedantic and experimental
# tags are shown too. Also checks that the package's copyright file and its
# AppStream metadata name the same licence.
# lint-deb.sh --pack BUILD_DIR: first packs BUILD_DIR's package (cpack, as
# make deb does) into a temporary folder, then checks it (the test lint_deb).
# make deb runs it on the package it built; bash scripts/setup.sh deb
# installs lintian.
set -euo pipefail
if [ "${1:-}" = --pack ]; then
    build=$2
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
        cat "$work/cpack.log" >&2
        exit 1
    fi
    set -- "$work"/*.deb
fi
[ $# -gt 0 ] || { echo "usage: lint-deb.sh PACKAGE.deb... | --pack BUILD_DIR" >&2; exit 2; }
if ! command -v lintian >/dev/null; then
    echo "lint-deb.sh: lintian is missing; bash scripts/setup.sh deb installs it" >&2
    exit 1
fi

status=0
for deb in "$@"; do
    # The licence: the copyright file's for all files, and the metadata's.
    unpacked=$(mktemp -d)
    dpkg-deb -x "$deb" "$unpacked"
    copyright=$(awk '/^Files: \*$/ {f = 1; next} f && /^License:/ {print $2; exit}' \
        "$unpacked/usr/share/doc/jianzongbao/copyright" 2>/dev/null || true)
    metadata=$(sed -n 's|.*<project_license>\(.*\)</project_license>.*|\1|p' \
        "$unpacked"/usr/share/metainfo/*.metainfo.xml 2>/dev/null || true)
    rm -rf "$unpacked"
    # DEP-5 names the licence GPL-3+, SPDX (and so AppStream) GPL-3.0-or-later.
    case "$copyright=$metadata" in
    "GPL-3+=GPL-3.0-or-later") ;;
    *)
        echo "$deb: the copyright file says \"$copyright\", the AppStream metadata \"$metadata\"" >&2
        status=1
        ;;
    esac
done

# lintian's note that it runs as root is left out.
out=$(lintian --pedantic --display-info --display-experimental --tag-display-limit 0 \
    --fail-on error,warning "$@" 2>&1) || status=1
grep -v '^running with root privileges is not recommended!$' <<<"$out" || true
if [ "$status" -eq 0 ]; then
    echo "lintian: no error or warning in $*"
else
    echo "lint-deb.sh: $* is not clean (above)" >&2
fi
exit "$status"
