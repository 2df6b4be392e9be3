#!/usr/bin/env bash
# Packs this build with CPack, in a folder of its own so that the build tree and
# tests running beside it are left alone, and checks the package: exactly the
# expected files, owned by root with the usual modes, and a Depends line made
# from the libraries the programs link (plus the Korean font for the window).
# Usage: deb_test.sh CPACK BUILD_DIR VERSION WINDOW(ON|OFF)
set -euo pipefail
cpack=$1 build=$2 version=$3 window=$4

for tool in dpkg-deb dpkg-shlibdeps; do
    if ! command -v "$tool" > /dev/null; then
        echo "missing: $tool (dpkg-dev) is not installed (scripts/install-deps installs it)" >&2
        exit 1
    fi
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

if ! "$cpack" --config "$build/CPackConfig.cmake" -B "$out" > "$out/cpack.log" 2>&1; then
    cat "$out/cpack.log"
    exit 1
fi
deb=$out/bramix_${version}_$(dpkg --print-architecture).deb
if [ ! -f "$deb" ]; then
    echo "no $(basename "$deb") in:" "$out"/*.deb
    exit 1
fi
fail=0

expected=(
    ./usr/bin/bramix-cli
    ./usr/share/bash-completion/completions/bramix-cli
    ./usr/share/doc/bramix/changelog.gz
    ./usr/share/doc/bramix/copyright
    ./usr/share/man/man1/bramix-cli.1.gz
)
if [ "$window" = ON ]; then
    expected+=(
        ./usr/bin/bramix
        ./usr/share/applications/io.github.bramix.bramix.desktop
        ./usr/share/doc/bramix/guide.html
        ./usr/share/icons/hicolor/scalable/apps/io.github.bramix.bramix.svg
        ./usr/share/man/man1/bramix.1.gz
        ./usr/share/metainfo/io.github.bramix.bramix.metainfo.xml
    )
fi
contents=$(dpkg-deb -c "$deb")
files=$(awk '$1 !~ /^d/ { print $6 }' <<< "$contents" | LC_ALL=C sort)
wanted=$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)
if [ "$files" != "$wanted" ]; then
    echo "files in the package differ from the expected ones (-expected +packed):"
    diff <(echo "$wanted") <(echo "$files") | sed -n 's/^</-/p; s/^>/+/p' || true
    fail=1
fi
# Programs 0755, everything else 0644, folders 0755, all root's.
odd=$(awk '{ mode = ($1 ~ /^d/ || $6 ~ /^\.\/usr\/bin\//) ? "rwxr-xr-x" : "rw-r--r--"
             if (substr($1, 2) != mode || $2 != "root/root") print }' <<< "$contents")
if [ -n "$odd" ]; then
    echo "entries with unexpected modes or owners:"
    echo "$odd"
    fail=1
fi

control_check() {
    local field=$1 got expected=$2
    got=$(dpkg-deb -f "$deb" "$field")
    if [ "$got" != "$expected" ]; then
        echo "$field: '$got', expected '$expected'"
        fail=1
    fi
}
control_check Package bramix
control_check Version "$version"

# Depends comes from dpkg-shlibdeps: versioned runtime packages, never a -dev
# package or a sanitizer's runtime.
depends=$(dpkg-deb -f "$deb" Depends | tr -d ' ' | tr ',' '\n')
need=('libc6(>=' 'libstdc++6(>=' 'libcurl')
if [ "$window" = ON ]; then
    need+=(fonts-nanum qt6-translations-l10n 'libqt6widgets6(>=')
fi
for prefix in "${need[@]}"; do
    if ! grep -qF -- "$prefix" <<< "$depends"; then
        echo "Depends lacks $prefix: $(dpkg-deb -f "$deb" Depends)"
        fail=1
    fi
done
unwanted='-dev|^libasan|^libubsan'
if [ "$window" != ON ]; then
    unwanted+='|^fonts-nanum|^libqt6|^qt6-translations'
fi
if grep -qE -- "$unwanted" <<< "$depends"; then
    echo "Depends has what it should not: $(dpkg-deb -f "$deb" Depends)"
    fail=1
fi
exit $fail
