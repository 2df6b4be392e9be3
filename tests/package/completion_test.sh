#!/usr/bin/env bash
# The bash completion offers the commands, each command's options, the values
# of --order and --format in every spelling, and only folders for --dir.
set -uo pipefail
export LC_ALL=C
completion=$1 man_page=$2

# shellcheck source=/dev/null
source "$completion" || exit 1
[ "$(complete -p bramix-cli 2> /dev/null)" = "complete -F _bramix_cli bramix-cli" ] ||
    { echo "the file does not register a completion for bramix-cli"; exit 1; }
fail=0
page=$(sed 's/\\-/-/g' "$man_page")  # the page spells "-" as "\-"
# expect "REPLY WORDS" WORD... : completes the last word as bash splits a line
# ("=" is a word of its own unless COMP_WORDBREAKS says otherwise); every
# option offered must be in the manual page.
expect() {
    local expected=$1 got option
    shift
    COMP_WORDS=(bramix-cli "$@") COMP_CWORD=$# COMPREPLY=()
    _bramix_cli
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' ')
    if [ "$got" != "$expected" ]; then
        echo "bramix-cli $*<TAB>: got '$got', expected '$expected'"
        fail=1
    fi
    for option in "${COMPREPLY[@]%=}"; do
        [[ ! $option =~ ^-[-a-z]*$ ]] || grep -qE -- "(^|[^-[:alnum:]])$option([^-[:alnum:]]|\$)" <<< "$page" ||
            { echo "$option (bramix-cli $*) is not in $man_page"; fail=1; }
    done
}

expect "get help search" ""
expect "--help --version -h" -
expect "--format= --help --matched --order= --quiet -f -h -m -o -q" search -
expect "--attempts= --dir= --help --quiet -d -h -n -q" get -
expect "--matched" search -o list --m
# Values: --name=VALUE (split at "=", or whole), --name VALUE, -x VALUE.
expect "arrival list" search --order =
expect "list" search --order = l
expect "--order=list" search --order=l
expect "json" search -f j
expect "" get --attempts ""
expect "" get -- --  # after "--" come addresses and names
# Folders, never files, for --dir; names with spaces stay whole.
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
mkdir "$folder/music" "$folder/my songs"
touch "$folder/music.mp3"
expect "$folder/music $folder/my songs" get --dir = "$folder/m"
expect "--dir=$folder/music --dir=$folder/my songs" get --dir="$folder/m"
exit $fail
