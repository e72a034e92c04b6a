# bash completion for velmorin-cli: its commands, each command's options, and
# file names by the extension an argument takes.
_velmorin_cli() {
    local current previous command
    COMPREPLY=()
    current="${COMP_WORDS[COMP_CWORD]}"
    previous="${COMP_WORDS[COMP_CWORD - 1]}"
    command="${COMP_WORDS[1]}"
    if [ "$COMP_CWORD" -eq 1 ]; then
        COMPREPLY=($(compgen -W "info check render export thumbnail --help --version" -- "$current"))
        return
    fi
    case "$previous" in
        --skin) _filedir pcx; return ;;
        --mode) COMPREPLY=($(compgen -W "wire nearest linear" -- "$current")); return ;;
        --mipmaps) COMPREPLY=($(compgen -W "on off" -- "$current")); return ;;
        -o)
            case "$command" in
                render) _filedir '@(bmp|tga|gif)' ;;
                export) _filedir '@(glb|gltf)' ;;
                *) _filedir ;;
            esac
            return ;;
        --frame | --animation | --sheet | --size | --orbit | --zoom | --pan | --gamma | --background) return ;;
    esac
    if [[ "$current" == -* ]]; then
        local options=""
        case "$command" in
            info) options="--json" ;;
            check) options="--json" ;;
            render) options="-o --skin --frame --animation --sheet --mode --size --orbit --zoom --pan --gamma --mipmaps --background" ;;
            export) options="-o --skin --gamma" ;;
        esac
        COMPREPLY=($(compgen -W "$options" -- "$current"))
        return
    fi
    case "$command" in
        check) _filedir '@(md2|pcx)' ;;
        thumbnail) [ "$COMP_CWORD" -eq 2 ] && _filedir md2 || _filedir png ;;
        *) _filedir md2 ;;
    esac
}
complete -F _velmorin_cli velmorin-cli
