#!/usr/bin/env bash
# What is installed besides the programs passes its validator without a single
# hint (any output fails), and the desktop entry, metainfo and icon carry the
# one id software centres join them by. A missing validator fails.
# Usage: install_files_test.sh desktop DESKTOP_FILE
#        install_files_test.sh metainfo METAINFO_FILE DESKTOP_FILE ICON_FILE
#        install_files_test.sh man PAGE...  (plain, and as man reads them)
set -uo pipefail
fail=0
need() {
    command -v "$1" > /dev/null && return
    echo "missing: $1 ($2) is not installed (scripts/install-deps installs it)" >&2
    exit 1
}
silent() {
    local out
    if ! out=$("$@" 2>&1) || [ -n "$out" ]; then
        printf '%s:\n%s\n' "$*" "$out"
        fail=1
    fi
}
case $1 in
    desktop)
        need desktop-file-validate desktop-file-utils
        silent desktop-file-validate "$2"
        ;;
    metainfo)
        need appstreamcli appstream
        out=$(appstreamcli validate --no-net --no-color "$2" 2>&1) || fail=1
        grep -qE '^(E|W):' <<< "$out" && fail=1
        [ $fail = 0 ] || echo "$out"
        id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$2")
        names="$(basename "$2") $(basename "$3") $(basename "$4") $(sed -n \
            's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$2") $(sed -n 's/^Icon=//p' "$3")"
        if [ "$names" != "$id.metainfo.xml $id.desktop $id.svg $id.desktop $id" ]; then
            echo "files, launchable and Icon not all named for $id: $names"
            fail=1
        fi
        ;;
    man)  # UTF-8 through preconv for a terminal, and a whatis entry in NAME
        need groff groff-base
        need lexgrog man-db
        for page in "${@:2}"; do
            silent groff -man -ww -z "$page"
            silent groff -man -ww -z -k -Tutf8 "$page"
            lexgrog "$page" > /dev/null || { echo "$page: no whatis entry in NAME"; fail=1; }
        done
        ;;
    *) fail=1 ;;
esac
exit $fail
