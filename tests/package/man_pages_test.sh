#!/usr/bin/env bash
# The manual pages format without a warning, both as groff reads them plainly
# and as man reads them (UTF-8 through preconv, for a terminal), and their NAME
# lines give whatis and apropos an entry (lintian's checks of manual pages).
# Usage: man_pages_test.sh PAGE...
set -euo pipefail

if ! command -v groff > /dev/null; then
    echo "missing: groff (groff-base) is not installed (scripts/install-deps installs it)" >&2
    exit 1
fi
fail=0
for page in "$@"; do
    for flags in "" "-k -Tutf8"; do
        # shellcheck disable=SC2086  # the flags are words
        if ! out=$(groff -man -ww -z $flags "$page" 2>&1) || [ -n "$out" ]; then
            echo "groff -man -ww -z $flags $page:"
            echo "$out"
            fail=1
        fi
    done
    if ! lexgrog "$page" > /dev/null; then
        echo "$page: lexgrog finds no whatis entry in NAME"
        fail=1
    fi
done
exit $fail
