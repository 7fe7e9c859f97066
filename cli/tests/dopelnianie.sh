#!/usr/bin/env bash
# The bash completion of znakomat-cli, called as bash calls it after Tab: the line typed
# (COMP_LINE) and the words bash split it into (at spaces, "=" and ":"), one case a row.
set -u
dopelnienie=$1
cli=$2
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
mkdir "$folder/wynik" && touch "$folder/plik.txt"
bledow=0

# dopelnij LINE WORD... : what the completion offers, the words bash would have made.
dopelnij() {
    local linia=$1
    shift
    (cd "$folder" && bash -c 'source "$1"; COMP_LINE=$2; COMP_POINT=${#2}; shift 2; COMP_WORDS=("$@")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _znakomat_cli 2>/dev/null; echo "${COMPREPLY[*]}"' \
        _ "$dopelnienie" "$linia" "$@")
}

# LINE | WORDS (by bash's split, "|" between) | expected offer
while IFS='|' read -r linia slowa oczekiwane; do
    [[ -z $linia ]] && continue
    read -ra tablica <<<"$slowa"
    [[ $slowa == *" " ]] && tablica+=("")
    tablica[0]=$cli
    otrzymane=$(dopelnij "${linia/znakomat-cli/$cli}" "${tablica[@]}")
    if [[ $otrzymane != "$oczekiwane" ]]; then
        echo "'$linia': offered '$otrzymane', expected '$oczekiwane'" >&2
        bledow=$((bledow + 1))
    fi
done <<'PRZYPADKI'
znakomat-cli -f ISO_8859-2:19|znakomat-cli -f ISO_8859-2 : 19|1987
znakomat-cli -f iso_8859-2:|znakomat-cli -f iso_8859-2 : |1987
znakomat-cli -t iso8859|znakomat-cli -t iso8859|ISO-8859-2 ISO_8859-2:1987
znakomat-cli -t latin-2|znakomat-cli -t latin-2|latin2
znakomat-cli -t cp-12|znakomat-cli -t cp-12|CP1250
znakomat-cli -t ibm-8|znakomat-cli -t ibm-8|IBM852
znakomat-cli --to-code=utf|znakomat-cli --to-code = utf|UTF-8
znakomat-cli -f AU|znakomat-cli -f AU|auto
znakomat-cli -t au|znakomat-cli -t au|
znakomat-cli -f maz|znakomat-cli -f maz|Mazovia
znakomat-cli -V|znakomat-cli -V|-V
znakomat-cli --out|znakomat-cli --out|--output= --output-dir=
znakomat-cli --all|znakomat-cli --all|--all-characters
znakomat-cli --rec|znakomat-cli --rec|--recursive
znakomat-cli --det|znakomat-cli --det|--detect
znakomat-cli -d |znakomat-cli -d |wynik
znakomat-cli --output-dir=w|znakomat-cli --output-dir = w|wynik
znakomat-cli -a -f cp1250 -t utf-8 pl|znakomat-cli -a -f cp1250 -t utf-8 pl|plik.txt
znakomat-cli -a -b cp-43|znakomat-cli -a -b cp-43|CP437
znakomat-cli --base=ibm85|znakomat-cli --base = ibm85|IBM-856 IBM850 IBM851 IBM852 IBM855 IBM857 IBM858
znakomat-cli --podstawa=koi8|znakomat-cli --podstawa = koi8|KOI-8 KOI8-R KOI8-RU KOI8-T KOI8-U
znakomat-cli -b utf|znakomat-cli -b utf|
znakomat-cli --list-b|znakomat-cli --list-b|--list-bases
PRZYPADKI

# Every name offered after -t is one the program takes, and the names a colon splits come whole;
# nothing after the standards' list is offered as a name.
for nazwa in $(dopelnij "znakomat-cli -t " "$cli" -t ""); do
    printf "" | "$cli" -f UTF-8 -t "$nazwa" >/dev/null || {
        echo "offered '$nazwa', which the program refuses" >&2
        bledow=$((bledow + 1))
    }
    [[ $nazwa == 1987 ]] && { echo "offered '1987' alone" >&2; bledow=$((bledow + 1)); }
done
exit $((bledow > 0))
