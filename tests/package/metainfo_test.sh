#!/usr/bin/env bash
# The metainfo passes appstreamcli without an error or a warning, and the
# desktop entry, metainfo and icon carry the one id software centres join them
# by. A missing validator fails.
# Usage: metainfo_test.sh METAINFO_FILE DESKTOP_FILE ICON_FILE
set -uo pipefail
fail=0
out=$(appstreamcli validate --no-net --no-color "$1" 2>&1) || fail=1
grep -qE '^(E|W):' <<< "$out" && fail=1
[ $fail = 0 ] || echo "$out"
id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$1")
names="$(basename "$1") $(basename "$2") $(basename "$3") $(sed -n \
    's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$1") $(sed -n 's/^Icon=//p' "$2")"
if [ "$names" != "$id.metainfo.xml $id.desktop $id.svg $id.desktop $id" ]; then
    echo "files, launchable and Icon not all named for $id: $names"
    fail=1
fi
exit $fail
