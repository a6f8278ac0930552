# bash completion of veltranorpx-cli: the commands and each command's options are read from the
# program's own help, so that they never drift from it.
_veltranorpx_cli()
{
    local cur prev words cword
    _init_completion || return

    local i command=
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
        --cartella) ((i++)) ;;
        -*) ;;
        *)
            command=${words[i]}
            break
            ;;
        esac
    done

    case $prev in
    --cartella | --uscita)
        _filedir -d
        return
        ;;
    --pdf | --file)
        _filedir
        return
        ;;
    --email)
        return
        ;;
    esac

    if [[ -z $command ]]; then
        local commands
        commands=$("${words[0]}" help 2>/dev/null | awk '/^Comandi:/ { on = 1; next } /^$/ { on = 0 } on { print $1 }')
        COMPREPLY=($(compgen -W "$commands --cartella --help" -- "$cur"))
    elif [[ $command == help ]]; then
        local commands
        commands=$("${words[0]}" help 2>/dev/null | awk '/^Comandi:/ { on = 1; next } /^$/ { on = 0 } on { print $1 }')
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    elif [[ $cur == -* ]]; then
        local options
        options=$("${words[0]}" help "$command" 2>/dev/null | grep -oE '^ +(-[a-z], )?--[a-z-]+' | grep -oE -- '--[a-z-]+')
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    else
        _filedir
    fi
} &&
    complete -F _veltranorpx_cli veltranorpx-cli
