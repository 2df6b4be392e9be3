#!/usr/bin/env bash
# The metainfo validates offline without errors or warnings, and its id is the
# one the desktop entry and the icon are named after: software centres join
# them by that id.
# Usage: metainfo_test.sh METAINFO_FILE DESKTOP_FILE ICON_FILE
set -euo pipefail
metainfo=$1 desktop=$2 icon=$3

if ! command -v appstreamcli > /dev/null; then
    echo "missing: appstreamcli (appstream) is not installed (scripts/install-deps installs it)" >&2
    exit 1
fi
status=0
out=$(appstreamcli validate --no-net --no-color "$metainfo" 2>&1) || status=$?
if [ "$status" -ne 0 ] || grep -qE '^(E|W):' <<< "$out"; then
    echo "$out"
    exit 1
fi

fail=0
id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$metainfo")
launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
icon_name=$(sed -n 's/^Icon=//p' "$desktop")
check() {
    if [ "$2" != "$3" ]; then
        echo "$1: '$2', expected '$3'"
        fail=1
    fi
}
check "metainfo file name" "$(basename "$metainfo")" "$id.metainfo.xml"
check "launchable" "$launchable" "$id.desktop"
check "desktop entry file name" "$(basename "$desktop")" "$id.desktop"
check "desktop entry's Icon" "$icon_name" "$id"
check "icon file name" "$(basename "$icon")" "$id.svg"
exit $fail
