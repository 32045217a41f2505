# bash completion for ombrel-cli
#
# The commands, options and option values are read from the program's own
# help ("ombrel-cli --help" before a command, "ombrel-cli COMMAND --help"
# after one), so a new command or option completes without touching this
# file. An option whose synopsis shows "a|b" completes those values; FILE
# completes file names and DIR directories.

# Prints the help of the program being completed: the overall help without
# arguments, else that command's.
_ombrel_cli_help() {
    local program=$1
    shift
    # A program given as ~/... is not expanded by bash in COMP_WORDS.
    [[ $program == "~/"* ]] && program=$HOME/${program#"~/"}
    LC_ALL=C.UTF-8 "$program" "$@" --help 2>/dev/null
}

# The words of the overall help's command list: the first word of each line
# indented by exactly two blanks between "Commands:" and the next blank line.
_ombrel_cli_commands() {
    local line in_list=0
    while IFS= read -r line; do
        if [[ $line == "Commands:" ]]; then
            in_list=1
        elif [[ -z $line ]]; then
            in_list=0
        elif ((in_list)) && [[ $line =~ ^\ \ ([a-z][a-z0-9-]*) ]]; then
            printf '%s\n' "${BASH_REMATCH[1]}"
        fi
    done
}

# Every --option the help text names, once each.
_ombrel_cli_options() {
    grep -oE -- '--[a-z][a-z0-9-]*' | sort -u
}

# The part of the overall help that lists the options given before a command.
_ombrel_cli_global_part() {
    local line in_list=0
    while IFS= read -r line; do
        [[ $line == Options* ]] && in_list=1
        [[ -z $line ]] && in_list=0
        ((in_list)) && printf '%s\n' "$line"
    done
}

# The argument an option takes according to the help: the word one blank
# after it ("--output FILE", "--layout lunisolar|western"), or nothing for a
# flag (in the option lists two blanks part an option from what it does).
_ombrel_cli_argument() {
    local option=$1 rest=$2 word
    local re="(^|[[:space:][])${option} ([^][:space:]]+)"
    while [[ $rest =~ $re ]]; do
        word=${BASH_REMATCH[2]}
        if [[ $word == *"|"* || $word =~ ^[A-Z][A-Z0-9_-]*$ ]]; then
            printf '%s\n' "$word"
            return
        fi
        rest=${rest#*"${BASH_REMATCH[0]}"}
    done
}

_ombrel_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local program=${COMP_WORDS[0]} command="" help usage i word
    COMPREPLY=()

    # The command is the first word that is neither an option nor the value
    # of one given before it.
    local overall
    overall=$(_ombrel_cli_help "$program")
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ $word == -* ]]; then
            [[ $word != *=* && -n $(_ombrel_cli_argument "$word" "$overall") ]] && ((i++))
            continue
        fi
        command=$word
        break
    done
    if [[ -n $command ]]; then
        help=$(_ombrel_cli_help "$program" "$command")
        # Only the usage line shows the arguments the options take.
        usage=${help%%$'\n'*}
    else
        help=$(_ombrel_cli_global_part <<<"$overall")
        usage=$help
    fi

    # The value of an option: "--name VALUE" or "--name=VALUE".
    local option="" prefix=""
    if [[ $cur == --*=* ]]; then
        option=${cur%%=*}
        prefix=$option=
        cur=${cur#*=}
    elif ((COMP_CWORD > 1)) && [[ ${COMP_WORDS[COMP_CWORD - 1]} == --* ]]; then
        option=${COMP_WORDS[COMP_CWORD - 1]}
    fi
    if [[ -n $option ]]; then
        local argument
        argument=$(_ombrel_cli_argument "$option" "$usage")
        case $argument in
            "") ;;
            *"|"*)
                COMPREPLY=($(compgen -P "$prefix" -W "${argument//|/ }" -- "$cur"))
                return 0 ;;
            FILE)
                compopt -o filenames 2>/dev/null
                COMPREPLY=($(compgen -f -- "$cur"))
                return 0 ;;
            DIR)
                compopt -o filenames 2>/dev/null
                COMPREPLY=($(compgen -d -- "$cur"))
                return 0 ;;
            *) return 0 ;;  # a number or a date: nothing to offer
        esac
    fi

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$(_ombrel_cli_options <<<"$help")" -- "$cur"))
    elif [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$(_ombrel_cli_commands <<<"$overall")" -- "$cur"))
    fi
    return 0
}

complete -F _ombrel_cli ombrel-cli
