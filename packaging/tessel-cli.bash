# bash completion for tessel-cli: commands, their options, the values of
# --format, and scenario files or map packs (*.pud, *.zip in any letter
# case) or folders.

_tessel_cli()
{
    local cur prev words cword
    _init_completion || return

    local command="" i
    for ((i = 1; i < cword; i++)); do
        if [[ ${words[i]} != -* ]]; then
            command=${words[i]}
            break
        fi
    done

    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W 'render info gallery demo --help --version' -- "$cur"))
        return
    fi

    case $prev in
        -o | --output)
            _filedir -d
            return
            ;;
        -a | --archive)
            _filedir war
            return
            ;;
        --settings)
            _filedir ini
            return
            ;;
        -f | --format)
            COMPREPLY=($(compgen -W 'bmp png' -- "$cur"))
            return
            ;;
        --size | --size32 | --size64 | --size96 | --size128 | -j | --jobs | --title)
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        case $command in
            render)
                COMPREPLY=($(compgen -W '--output --archive --builtin-tileset --size --size32 --size64
                    --size96 --size128 --units --no-units --format --jobs --settings --no-settings
                    --no-cache --update --quiet --help' -- "$cur"))
                ;;
            gallery)
                COMPREPLY=($(compgen -W '--output --title --archive --builtin-tileset --size --size32 --size64
                    --size96 --size128 --units --no-units --jobs --settings --no-settings --no-cache --update
                    --quiet --help' -- "$cur"))
                ;;
            info)
                COMPREPLY=($(compgen -W '--long --short --json --builtin-tileset --help' -- "$cur"))
                ;;
            demo)
                COMPREPLY=($(compgen -W '--help' -- "$cur"))
                ;;
        esac
        return
    fi

    case $command in
        demo) _filedir -d ;;
        *) _filedir '@(pud|zip)' ;;
    esac
} &&
    complete -F _tessel_cli tessel-cli
