# bash completion for znakomat-cli: its options, the names of standards after -f and -t
# (in any case, as the program takes them; "auto" after -f too), folders after -d, and file
# names.

_znakomat_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} opcja=${COMP_WORDS[COMP_CWORD - 1]}
    # bash splits "--to-code=ISO" at the "=": the option is then one or two words back.
    if [[ $cur == = ]]; then
        cur=
    elif [[ $opcja == = ]] && ((COMP_CWORD >= 2)); then
        opcja=${COMP_WORDS[COMP_CWORD - 2]}
    fi
    COMPREPLY=()

    case $opcja in
        -f | --from-code | -t | --to-code)
            # The program lists the standards with their other names; every word is a name.
            local nazwa zrodlowe=
            if [[ $opcja == -f || $opcja == --from-code ]]; then
                zrodlowe=auto
            fi
            for nazwa in $zrodlowe $("${COMP_WORDS[0]}" -l 2>/dev/null | tr -s ' \t,;:()' '\n'); do
                if [[ ${nazwa,,} == "${cur,,}"* ]]; then
                    COMPREPLY+=("$nazwa")
                fi
            done
            return
            ;;
        -o | --output)
            compopt -o filenames
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return
            ;;
        -d | --katalog)
            compopt -o filenames
            mapfile -t COMPREPLY < <(compgen -d -- "$cur")
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W '-f -t -o -d -r -l -h --from-code= --to-code= --output=
            --katalog= --rozpoznaj --list --help --version' -- "$cur")
        if [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == *= ]]; then
            compopt -o nospace
        fi
        return
    fi
    compopt -o filenames
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
}
complete -F _znakomat_cli znakomat-cli
