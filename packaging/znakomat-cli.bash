# bash completion for znakomat-cli: its options, the names of standards after -f and -t and
# of code pages after -b (compared as the program compares them: case, "-", "_" and spaces
# do not count; "auto" after -f too; whole names, colons included), folders after -d, and
# file names.

# A name as the program compares it.
_znakomat_cli_klucz()
{
    local klucz=${1,,}
    klucz=${klucz//[-_ ]/}
    printf '%s' "$klucz"
}

_znakomat_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} opcja=${COMP_WORDS[COMP_CWORD - 1]}
    if [[ -n ${COMP_LINE-} ]]; then
        # The words as typed: bash splits a name such as ISO_8859-2:1987 at its colon.
        local linia=${COMP_LINE:0:COMP_POINT} slowa=()
        read -ra slowa <<<"$linia"
        [[ $linia == *[[:space:]] || ${#slowa[@]} -eq 0 ]] && slowa+=("")
        cur=${slowa[-1]}
        opcja=
        ((${#slowa[@]} >= 2)) && opcja=${slowa[-2]}
        if [[ $cur == --*=* ]]; then
            opcja=${cur%%=*}
            cur=${cur#*=}
        fi
    elif [[ $cur == = ]]; then
        # bash splits "--to-code=ISO" at the "=": the option is then one or two words back.
        cur=
    elif [[ $opcja == = ]] && ((COMP_CWORD >= 2)); then
        opcja=${COMP_WORDS[COMP_CWORD - 2]}
    fi
    COMPREPLY=()

    case $opcja in
        -f | --from-code | -t | --to-code | -b | --base | --podstawa)
            # The program lists the standards with their other names up to an empty line,
            # every word a name, and the code pages -b takes a line each.
            local nazwa nazwy szukana
            szukana=$(_znakomat_cli_klucz "$cur")
            case $opcja in
                -b | --base | --podstawa)
                    nazwy=$("${COMP_WORDS[0]}" --list-bases 2>/dev/null)
                    ;;
                -f | --from-code)
                    nazwy="auto "$("${COMP_WORDS[0]}" -l 2>/dev/null | sed '/^$/,$d')
                    ;;
                *)
                    nazwy=$("${COMP_WORDS[0]}" -l 2>/dev/null | sed '/^$/,$d')
                    ;;
            esac
            for nazwa in $nazwy; do
                if [[ $(_znakomat_cli_klucz "$nazwa") == "$szukana"* ]]; then
                    COMPREPLY+=("$nazwa")
                fi
            done
            # bash replaces only what follows the last colon of the word; a colon counts
            # in names, so every name offered has one there too.
            if [[ $cur == *:* && ${COMP_WORDBREAKS-} == *:* ]]; then
                local i
                for i in "${!COMPREPLY[@]}"; do
                    COMPREPLY[i]=${COMPREPLY[i]##*:}
                done
            fi
            return
            ;;
        -o | --output)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return
            ;;
        -d | --output-dir | --katalog)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -d -- "$cur")
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W '-f -t -a -b -o -d -R -r -l -h -V --from-code= --to-code=
            --all-characters --wszystkie-znaki --base= --podstawa= --output= --output-dir= --katalog=
            --recursive --detect --rozpoznaj --list --list-bases --lista-podstaw --help --version' -- "$cur")
        if [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == *= ]]; then
            compopt -o nospace 2>/dev/null
        fi
        return
    fi
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
}
complete -F _znakomat_cli znakomat-cli
