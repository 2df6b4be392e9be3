#!/usr/bin/env bash
# What is installed besides the programs passes its validator without a single
# hint (a validator that exits 0 on hints fails here on any output), and the
# desktop entry, metainfo and icon are named after the one id that software
# centres join them by. A missing validator fails: scripts/install-deps
# installs them all.
# Usage: install_files_test.sh desktop DESKTOP_FILE
#        install_files_test.sh metainfo METAINFO_FILE DESKTOP_FILE ICON_FILE
#        install_files_test.sh man PAGE...  (plain and as man reads them, UTF-8
#                                           for a terminal; NAME gives whatis
#                                           an entry)
set -uo pipefail
fail=0
need() {
    command -v "$1" > /dev/null && return
    echo "missing: $1 ($2) is not installed (scripts/install-deps installs it)" >&2
    exit 1
}
# silent COMMAND...: fails on an exit status or any output.
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
        names="$(basename "$2") $(basename "$3") $(basename "$4")
$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$2") $(sed -n 's/^Icon=//p' "$3")"
        if [ "$names" != "$id.metainfo.xml $id.desktop $id.svg
$id.desktop $id" ]; then
            printf 'files, launchable and Icon named for other ids than %s:\n%s\n' "$id" "$names"
            fail=1
        fi
        ;;
    man)
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
