# bash completion for ombrel-cli
#
# The commands, options and option values are read from the program's own
# help ("ombrel-cli --help" before a command, "ombrel-cli COMMAND --help"
# after one), so a new command or option completes without touching this
# file. An option whose synopsis shows "a|b" completes those values, one that
# shows "a,b,c" takes a comma list and completes it item by item; FILE
# completes file names and DIR directories (blanks in a name included);
# --place completes the names "ombrel-cli places" lists and --zone the zones
# among them. Both "--option VALUE" and "--option=VALUE" complete.

# Prints the help of the program being completed: the overall help without
# arguments, else that command's.
_ombrel_cli_help() {
    local program=$1
    shift
    # A program given as ~/... is not expanded by bash in COMP_WORDS.
    [[ $program == "~/"* ]] && program=$HOME/${program#"~/"}
    LC_ALL=C.UTF-8 "$program" "$@" --help 2>/dev/null
}

# The names --place takes, as "ombrel-cli places" lists them (a prefecture
# and its city, a zone and its last part), and the zones among them.
_ombrel_cli_places() {
    local name rest
    local -a names
    while IFS=$'\t' read -r name rest; do
        IFS=' ' read -ra names <<<"$name"
        printf '%s\n' "${names[@]}"
        [[ $name == */* ]] && printf '%s\n' "${name##*/}"
    done < <(LC_ALL=C.UTF-8 "$1" places 2>/dev/null)
}
_ombrel_cli_zones() {
    printf '%s\n' design
    LC_ALL=C.UTF-8 "$1" places 2>/dev/null | cut -f4 | grep -v -x -- -
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
# after it ("--output FILE", "--layout lunisolar|western", "--what a,b,c"),
# or nothing for a flag (in the option lists two blanks part an option from
# what it does). Brackets around the option or its argument are not part of
# either.
_ombrel_cli_argument() {
    local option=$1 word i
    local - IFS=$' \t\n'
    set -f  # "[--what" is a word here, not a pattern
    local -a words=($2)
    for ((i = 0; i + 1 < ${#words[@]}; i++)); do
        word=${words[i]#"["}
        [[ ${word%%"]"*} == "$option" && ${words[i]} != *"]" ]] || continue
        word=${words[i + 1]#"["}
        word=${word%%"]"*}
        if [[ $word == *[,\|]* || $word =~ ^[A-Z][A-Z0-9_-]*$ ]]; then
            printf '%s\n' "$word"
            return
        fi
    done
}

# A word as typed, without the shell's quoting: my\ file and 'my file' are
# both "my file".
_ombrel_cli_dequote() {
    local in=$1 out="" quote="" c k
    for ((k = 0; k < ${#in}; k++)); do
        c=${in:k:1}
        if [[ -n $quote && $c == "$quote" ]]; then
            quote=""
        elif [[ $quote == "'" ]]; then
            out+=$c
        elif [[ $c == \\ && $quote != '"' ]] || [[ $c == \\ && ${in:k+1:1} == [\"\\\$\`] ]]; then
            ((k++))
            out+=${in:k:1}
        elif [[ -z $quote && ( $c == "'" || $c == '"' ) ]]; then
            quote=$c
        else
            out+=$c
        fi
    done
    printf '%s' "$out"
}

# Offers the lines of standard input that begin with $1, each with $2 before
# it, one offer per line whatever blanks it holds.
_ombrel_cli_offer() {
    local start=$1 prefix=$2 line
    COMPREPLY=()
    while IFS= read -r line; do
        [[ -n $line && $line == "$start"* ]] && COMPREPLY+=("$prefix$line")
    done
}

# The items of a comma list ("terms,phases,...") not yet typed before the
# last comma of $2, offered after what was typed.
_ombrel_cli_list_items() {
    local items=$1 typed=$2 done_part="" item
    [[ $typed == *,* ]] && done_part=${typed%,*},
    local IFS=,
    for item in $items; do
        [[ ,$done_part == *",$item,"* ]] || printf '%s\n' "$item"
    done
}

_ombrel_cli() {
    local program=${COMP_WORDS[0]} command="" help usage i word
    COMPREPLY=()

    # The command is the first word that is neither an option nor the value
    # of one given before it ("--workdir DIR", "--workdir=DIR"; bash passes the
    # latter as three words, "--workdir", "=" and "DIR").
    local overall
    overall=$(_ombrel_cli_help "$program")
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ $word == -* ]]; then
            if [[ ${COMP_WORDS[i + 1]} == "=" ]]; then
                ((i += 2))
            elif [[ $word != *=* && -n $(_ombrel_cli_argument "$word" "$overall") ]]; then
                ((i++))
            fi
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

    # The value of an option: "--name VALUE" or "--name=VALUE", the latter as
    # one word or, as bash splits it, "--name" "=" ["VALUE"]. Only in the one
    # word does the offer carry "--name=" itself.
    local cur=${COMP_WORDS[COMP_CWORD]} option="" prefix=""
    local before=${COMP_WORDS[COMP_CWORD - 1]}
    if [[ $cur == --*=* ]]; then
        option=${cur%%=*}
        prefix=$option=
        cur=${cur#*=}
    elif [[ $cur == "=" && $before == --* ]]; then
        option=$before
        cur=""
    elif ((COMP_CWORD > 2)) && [[ $before == "=" && ${COMP_WORDS[COMP_CWORD - 2]} == --* ]]; then
        option=${COMP_WORDS[COMP_CWORD - 2]}
    elif ((COMP_CWORD > 1)) && [[ $before == --* ]]; then
        option=$before
    fi
    cur=$(_ombrel_cli_dequote "$cur")
    if [[ -n $option && ( $option == --place || $option == --zone ) ]]; then
        [[ $program == "~/"* ]] && program=$HOME/${program#"~/"}
        if [[ $option == --place ]]; then
            _ombrel_cli_offer "$cur" "$prefix" < <(_ombrel_cli_places "$program")
        else
            _ombrel_cli_offer "$cur" "$prefix" < <(_ombrel_cli_zones "$program")
        fi
        return 0
    fi
    if [[ -n $option ]]; then
        local argument
        argument=$(_ombrel_cli_argument "$option" "$usage")
        case $argument in
            "") ;;
            *"|"*)
                _ombrel_cli_offer "$cur" "$prefix" <<<"${argument//|/$'\n'}"
                return 0 ;;
            *,*)
                # Item by item: "terms,ph" offers "terms,phases".
                local typed=""
                [[ $cur == *,* ]] && typed=${cur%,*},
                _ombrel_cli_offer "${cur##*,}" "$prefix$typed" < <(_ombrel_cli_list_items "$argument" "$cur")
                compopt -o nospace 2>/dev/null
                return 0 ;;
            FILE)
                compopt -o filenames 2>/dev/null
                _ombrel_cli_offer "" "$prefix" < <(compgen -f -- "$cur")
                return 0 ;;
            DIR)
                compopt -o filenames 2>/dev/null
                _ombrel_cli_offer "" "$prefix" < <(compgen -d -- "$cur")
                return 0 ;;
            *) return 0 ;;  # a number or a date: nothing to offer
        esac
        # A flag takes no "=VALUE".
        [[ -n $prefix || ${COMP_WORDS[COMP_CWORD]} == "=" || $before == "=" ]] && return 0
    fi

    if [[ $cur == -* ]]; then
        _ombrel_cli_offer "$cur" "" < <(_ombrel_cli_options <<<"$help")
    elif [[ -z $command ]]; then
        _ombrel_cli_offer "$cur" "" < <(_ombrel_cli_commands <<<"$overall")
    fi
    return 0
}

complete -F _ombrel_cli ombrel-cli
