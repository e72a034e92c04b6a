# bash completion for velmorin-cli: its commands, each command's options and
# their values, file names by the extension an argument takes, and the frame
# and animation names of the model named earlier on the line.

# The words of the line's first .md2 argument's section of `info`: its frame
# names (frames) or its animation names (animations).
_velmorin_cli_names() {
    local section="$1" word model="" i
    for ((i = 2; i < COMP_CWORD; i++)); do
        word="${COMP_WORDS[i]}"
        case "${COMP_WORDS[i - 1]}" in -o | --skin | --palette) continue ;; esac
        if [[ "${word,,}" == *.md2 ]]; then model="${word/#\~/$HOME}"; break; fi
    done
    [ -n "$model" ] && [ -r "$model" ] || return
    velmorin-cli info "$model" 2>/dev/null | awk -v section="$section" '
        /^[a-z]/ { on = ($1 == section); next }
        on && section == "frames" { print $2 }
        on && section == "animations" { print $5 }'
}

_velmorin_cli() {
    local current previous command
    COMPREPLY=()
    current="${COMP_WORDS[COMP_CWORD]}"
    previous="${COMP_WORDS[COMP_CWORD - 1]}"
    command="${COMP_WORDS[1]}"
    if [ "$COMP_CWORD" -eq 1 ]; then
        COMPREPLY=($(compgen -W "info check render export import thumbnail --help --version" -- "$current"))
        return
    fi
    case "$previous" in
        --skin) _filedir pcx; COMPREPLY+=($(compgen -W "auto" -- "$current")); return ;;
        --palette) _filedir pcx; return ;;
        --mode) COMPREPLY=($(compgen -W "wire nearest linear" -- "$current")); return ;;
        --mipmaps) COMPREPLY=($(compgen -W "on off" -- "$current")); return ;;
        --origin) COMPREPLY=($(compgen -W "keep feet centre" -- "$current")); return ;;
        --frame) COMPREPLY=($(compgen -W "$(_velmorin_cli_names frames)" -- "$current")); return ;;
        --animation) COMPREPLY=($(compgen -W "$(_velmorin_cli_names animations)" -- "$current")); return ;;
        -o)
            case "$command" in
                render) _filedir '@(bmp|tga|gif)' ;;
                export) _filedir '@(glb|gltf)' ;;
                import) _filedir md2 ;;
                *) _filedir ;;
            esac
            return ;;
        --sheet | --size | --orbit | --zoom | --pan | --gamma | --scale | --skin-path | --merge | --height) return ;;
        --background) COMPREPLY=($(compgen -W "transparent" -- "$current")); return ;;
    esac
    if [[ "$current" == -* ]]; then
        local options=""
        case "$command" in
            info | check) options="--json" ;;
            render) options="-o --skin --frame --animation --sheet --mode --size --orbit --zoom --pan --gamma --mipmaps --background --fit" ;;
            export) options="-o --skin --gamma" ;;
            import) options="-o --palette --scale --skin-path --animation --merge --keep-loop-end --height --origin --quiet" ;;
        esac
        COMPREPLY=($(compgen -W "$options" -- "$current"))
        return
    fi
    case "$command" in
        check) _filedir '@(md2|pcx)' ;;
        import) _filedir '@(glb|gltf)' ;;
        thumbnail)
            case "$COMP_CWORD" in
                2) _filedir '@(md2|pcx)' ;;
                3) _filedir png ;;
                4) COMPREPLY=($(compgen -W "128 256 512 1024" -- "$current")) ;;
            esac ;;
        *) _filedir md2 ;;
    esac
}
complete -F _velmorin_cli velmorin-cli
