# bash completion for bramix-cli: its commands, their options, the values of
# --order and --format, and folders for --dir. It uses only bash builtins, so
# it works without the bash-completion package too (source it from ~/.bashrc).

_bramix_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=""
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()

    # The option whose value is being typed. While "=" breaks words (bash's
    # default), "--order=li" arrives as "--order" "=" "li" and only "li" is
    # replaced; otherwise the whole word is, so the reply keeps "--order=".
    local option="" prefix=""
    if [[ $cur == = ]]; then
        option=$prev
        cur=""
    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
        option=${COMP_WORDS[COMP_CWORD - 2]}
    elif [[ $cur == --*=* ]]; then
        option=${cur%%=*}
        prefix=$option=
        cur=${cur#*=}
    elif [[ $prev == -* ]]; then
        option=$prev
    fi

    # The command is the first word that is not an option; "--" ends options.
    local command="" ended="" i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            --) [[ -n $command ]] && ended=1 ;;
            -*) ;;
            *) [[ -z $command ]] && command=${COMP_WORDS[i]} ;;
        esac
    done
    [[ -n $ended ]] && return 0

    local values=""
    case $command:$option in
        search:--order | search:-o) values="arrival list" ;;
        search:--format | search:-f) values="tsv json" ;;
        get:--attempts | get:-n) return 0 ;; # a number
        get:--dir | get:-d)
            compopt -o filenames 2>/dev/null
            local IFS=$'\n'
            COMPREPLY=($(compgen -d -- "$cur"))
            [[ -n $prefix ]] && COMPREPLY=("${COMPREPLY[@]/#/$prefix}")
            return 0
            ;;
    esac
    if [[ -n $values ]]; then
        COMPREPLY=($(compgen -W "$values" -- "$cur"))
        [[ -n $prefix ]] && COMPREPLY=("${COMPREPLY[@]/#/$prefix}")
        return 0
    fi

    local options
    case $command in
        "") options="--help -h --version" ;;
        search) options="--order= --matched --format= --quiet --help -o -m -f -q -h" ;;
        get) options="--dir= --attempts= --quiet --help -d -n -q -h" ;;
        *) return 0 ;; # help, or a command bramix-cli does not know
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        # "--order=" waits for its value.
        if [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == *= ]]; then
            compopt -o nospace 2>/dev/null
        fi
    elif [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "search get help" -- "$cur"))
    fi
    return 0
}
complete -F _bramix_cli bramix-cli
