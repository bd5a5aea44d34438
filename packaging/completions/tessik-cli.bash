# bash completion for tessik-cli                                  -*- shell-script -*-
# SPDX-License-Identifier: MIT

_tessik_cli_apps()
{
    # Asks the program itself, on the machine the command line names.
    local root=() i
    for ((i = 1; i < ${#COMP_WORDS[@]} - 1; i++)); do
        [[ ${COMP_WORDS[i]} == --system-root ]] && root=(--system-root "${COMP_WORDS[i + 1]}")
    done
    "${COMP_WORDS[0]}" "${root[@]}" apps 2>/dev/null | cut -f2
}

_tessik_cli()
{
    local cur prev words cword
    if declare -F _init_completion >/dev/null; then
        _init_completion || return
    else
        cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
        words=("${COMP_WORDS[@]}") cword=$COMP_CWORD
    fi

    local commands="apps associate extensions formats get help reports restore set snapshots type update-catalog why"
    local global="--system-root --language --help --version"

    case $prev in
        --system-root) COMPREPLY=($(compgen -d -- "$cur")); return ;;
        --language) COMPREPLY=($(compgen -W "zh en fr de es ja ko" -- "$cur")); return ;;
        --role) COMPREPLY=($(compgen -W "viewer editor shell all" -- "$cur")); return ;;
        --server-url | --wait | --show | --type | --extension) return ;;
        --for) COMPREPLY=($(compgen -f -- "$cur")); return ;;
    esac

    local command="" i positional=0
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --system-root | --language | --role | --server-url | --wait | --show | --type | --extension | --for)
                ((i++)) ;;
            -*) ;;
            *) if [[ -z $command ]]; then command=${words[i]}; else ((positional++)); fi ;;
        esac
    done

    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$commands $global" -- "$cur"))
        return
    fi

    local options=""
    case $command in
        apps) options="--json --for" ;;
        associate) options="--type --extension" ;;
        extensions | type | snapshots) options="--json" ;;
        formats) options="--json --server-url" ;;
        get | why) options="--role --json" ;;
        reports) options="--json --show" ;;
        restore) options="--last --yes --wait --json" ;;
        set) options="--role --yes --wait --json" ;;
        update-catalog) options="--server-url --force" ;;
        help) COMPREPLY=($(compgen -W "$commands" -- "$cur")); return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options --help" -- "$cur"))
        return
    fi

    case $command in
        set)
            # TARGET APP, or TARGET=APP pairs.
            if [[ $cur == *=* ]]; then
                COMPREPLY=($(compgen -P "${cur%%=*}=" -W "$(_tessik_cli_apps)" -- "${cur#*=}"))
            elif ((positional % 2 == 1)); then
                COMPREPLY=($(compgen -W "$(_tessik_cli_apps)" -- "$cur"))
            else
                COMPREPLY=($(compgen -f -- "$cur"))
            fi
            ;;
        associate)
            if ((positional >= 1)) || [[ " ${words[*]} " == *" --type "* ]]; then
                COMPREPLY=($(compgen -W "$(_tessik_cli_apps)" -- "$cur"))
            fi
            ;;
        get | why | type | extensions) ((positional == 0)) && COMPREPLY=($(compgen -f -- "$cur")) ;;
    esac
}
complete -F _tessik_cli tessik-cli
