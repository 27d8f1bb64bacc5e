# Bash completion for kvqsetup-cli: commands, their options, files (folders for `list`), and the
# FIELD names of `set`.
# Use: source scripts/kvqsetup-cli.bash (for example from ~/.bashrc), or install it as
# /usr/share/bash-completion/completions/kvqsetup-cli.

_kvqsetup_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()

    if [ "$COMP_CWORD" -eq 1 ]; then
        _kvqsetup_cli_words "sheet normalise import copy-gearbox copy-chassis dump diff gears set list --help --version" "$cur"
        return
    fi

    local command=${COMP_WORDS[1]}
    local options
    case $command in
        sheet) options="--limits" ;;
        normalise) options="--limits -o -d" ;;
        copy-gearbox | copy-chassis) options="--limits -o" ;;
        import) options="--vocab-dir --limits --raw -o" ;;
        dump) options="--json --limits" ;;
        diff) options="" ;;
        gears) options="--json" ;;
        set) options="--limits --quiet -o --fields" ;;
        list) options="--limits --where --sort --json --csv --duplicates" ;;
        *) return ;;
    esac

    case $prev in
        # set --fields only lists the field names: nothing follows it.
        --fields) return ;;
        --where | --sort) return ;;
        --limits) _kvqsetup_cli_files "$cur" -X '!*.lmt'; return ;;
        --vocab-dir | -d) _kvqsetup_cli_files "$cur" -X '*'; return ;;
        -o) _kvqsetup_cli_files "$cur"; return ;;
    esac

    if [[ $cur == -* ]]; then
        _kvqsetup_cli_words "$options --help" "$cur"
        return
    fi

    # After set's FILE come the assignments; the program itself knows the field names.
    if [ "$command" = set ] && [[ $cur != */* ]] && _kvqsetup_cli_set_file_given; then
        [[ $cur == *=* ]] && return
        local fields
        fields=$("${COMP_WORDS[0]/#\~/$HOME}" set --fields 2>/dev/null) || return
        mapfile -t COMPREPLY < <(compgen -W "$fields" -S = -- "$cur")
        compopt -o nospace 2>/dev/null
        return
    fi

    # list takes folders.
    if [ "$command" = list ]; then
        _kvqsetup_cli_files "$cur" -X '*'
        return
    fi

    _kvqsetup_cli_files "$cur"
}

_kvqsetup_cli_words() {
    mapfile -t COMPREPLY < <(compgen -W "$1" -- "$2")
}

# Files and folders starting with $1, one reply each even with blanks in the name; the further
# arguments filter the files (folders always stay, to walk into).
_kvqsetup_cli_files() {
    local cur=$1
    shift
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <({ compgen -f "$@" -- "$cur"; compgen -d -- "$cur"; } | sort -u)
}

# True when a word before the current one, other than an option or its value, names set's FILE.
_kvqsetup_cli_set_file_given() {
    local i word
    for ((i = 2; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case $word in
            --limits | -o) ((i++)) ;;
            -*) ;;
            *) return 0 ;;
        esac
    done
    return 1
}

complete -F _kvqsetup_cli kvqsetup-cli
