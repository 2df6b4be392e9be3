#!/usr/bin/env bash
# The desktop entry passes desktop-file-validate without a single hint: the
# validator exits 0 on hints, so any output at all is a failure.
# Usage: desktop_entry_test.sh DESKTOP_FILE
set -euo pipefail

if ! command -v desktop-file-validate > /dev/null; then
    echo "missing: desktop-file-validate (desktop-file-utils) is not installed (scripts/install-deps installs it)" >&2
    exit 1
fi
if ! out=$(desktop-file-validate "$1" 2>&1) || [ -n "$out" ]; then
    echo "$out"
    exit 1
fi
