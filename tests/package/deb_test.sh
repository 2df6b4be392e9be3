#!/usr/bin/env bash
# Packs this build in a folder of its own and checks the package named for its
# version: exactly the expected files, root's with the usual modes, and Depends
# from the linked libraries (and the Korean font), never -dev or a sanitizer's.
set -uo pipefail
cpack=$1 build=$2 version=$3 window=$4

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$cpack" --config "$build/CPackConfig.cmake" -B "$out" > "$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; exit 1; }
deb=$out/bramix_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { echo "no $(basename "$deb") in:" "$out"/*.deb; exit 1; }
fail=0
complain() { echo "$@"; fail=1; }

share=./usr/share
expected=(./usr/bin/bramix-cli "$share/bash-completion/completions/bramix-cli"
    "$share/doc/bramix/changelog.gz" "$share/doc/bramix/copyright" "$share/man/man1/bramix-cli.1.gz")
need=('libc6(>=' 'libstdc++6(>=' 'libcurl')
unwanted='-dev|^libasan|^libubsan'
if [ "$window" = ON ]; then
    expected+=(./usr/bin/bramix "$share/applications/io.github.bramix.bramix.desktop"
        "$share/doc/bramix/guide.html" "$share/icons/hicolor/scalable/apps/io.github.bramix.bramix.svg"
        "$share/man/man1/bramix.1.gz" "$share/metainfo/io.github.bramix.bramix.metainfo.xml")
    need+=(fonts-nanum qt6-translations-l10n 'libqt6widgets6(>=')
else
    unwanted+='|^fonts-nanum|^libqt6|^qt6-translations'
fi

contents=$(dpkg-deb -c "$deb")
files=$(awk '$1 !~ /^d/ { print $6 }' <<< "$contents" | LC_ALL=C sort)
wanted=$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)
[ "$files" = "$wanted" ] || complain "files differ (-expected +packed):" \
    "$(diff <(echo "$wanted") <(echo "$files") | sed -n 's/^</-/p; s/^>/+/p')"
# Programs 0755, everything else 0644, folders 0755, all root's.
odd=$(awk '{ mode = ($1 ~ /^d/ || $6 ~ /^\.\/usr\/bin\//) ? "rwxr-xr-x" : "rw-r--r--"
             if (substr($1, 2) != mode || $2 != "root/root") print }' <<< "$contents")
[ -z "$odd" ] || complain "entries with unexpected modes or owners:" "$odd"
depends=$(dpkg-deb -f "$deb" Depends | tr -d ' ' | tr ',' '\n')
for prefix in "${need[@]}"; do
    grep -qF -- "$prefix" <<< "$depends" || complain "Depends lacks $prefix: $depends"
done
! grep -qE -- "$unwanted" <<< "$depends" || complain "Depends has what it should not: $depends"
exit $fail
