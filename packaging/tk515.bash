# bash completion for tk515: its commands, each command's options, configuration and
# JSON files, and after --port the serial ports that `tk515 ports` lists (a typed path,
# such as a pseudo-terminal, completes as a file name).

_tk515_options() {
    case "$1" in
    new | show) echo "--help" ;;
    diff) echo "--labels --help" ;;
    backups) echo "--json --help" ;;
    export | import | report) echo "-o --help" ;;
    ports) echo "--help" ;;
    read) echo "--port -o --pause --quick --trace --no-backup --help" ;;
    write) echo "--port --verify --pause --quick --trace --no-backup --help" ;;
    remote-read) echo "--port --tel -o --pause --quick --trace --no-backup --help" ;;
    remote-write) echo "--port --tel --verify --pause --quick --trace --no-backup --help" ;;
    esac
}

_tk515() {
    local cur prev command
    cur="${COMP_WORDS[COMP_CWORD]}"
    prev=""
    [[ $COMP_CWORD -gt 0 ]] && prev="${COMP_WORDS[COMP_CWORD - 1]}"
    COMPREPLY=()

    if [[ $COMP_CWORD -eq 1 ]]; then
        mapfile -t COMPREPLY < <(compgen -W "new show export import diff report backups ports \
read write remote-read remote-write --help --version" -- "$cur")
        return 0
    fi
    command="${COMP_WORDS[1]}"

    case "$prev" in
    --port)
        local ports
        ports="$("${COMP_WORDS[0]}" ports 2>/dev/null | cut -d' ' -f1)"
        mapfile -t COMPREPLY < <(compgen -W "$ports" -- "$cur")
        if [[ "$cur" == /* ]]; then
            compopt -o filenames 2>/dev/null
            mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(compgen -f -- "$cur")
        fi
        return 0
        ;;
    --pause | --tel)
        return 0
        ;;
    -o | --trace)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        return 0
        ;;
    esac

    if [[ "$cur" == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(_tk515_options "$command")" -- "$cur")
        return 0
    fi
    case "$command" in
    ports | backups) return 0 ;;
    read | remote-read) return 0 ;; # the output goes after -o
    esac
    # Configuration files, JSON files and folders on the way to them.
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -d -- "$cur")
    local pattern
    for pattern in '*.tk515' '*.t61' '*.json' '*.TK515' '*.T61' '*.JSON'; do
        mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(compgen -f -X "!$pattern" -- "$cur")
    done
    return 0
}

complete -F _tk515 tk515
