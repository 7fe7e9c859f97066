#!/usr/bin/env bash
# Times znakomat-cli as a whole process against the general converters iconv, uconv, recode
# and konwert, and against tr and cat, on one generated Polish text, and writes a Markdown
# table: median of hyperfine's runs and the peak memory /usr/bin/time reports. A second table
# sets it beside a copy of the same file: into a file against dd conv=fsync (znakomat-cli
# syncs its output too), into a pipe against cat, and beside that what a pipe costs without a
# conversion.
#
#   bench/porownaj_programy.sh [ROZMIAR] [TABELA.md]
#
# BIEGI (10) runs of each command; RUNDY (5) rounds of the copies, each a hyperfine run of
# the four commands, whose ratios give the median and its spread; TYLKO_KOPIE=1 leaves the
# other programs out.
#
# ROZMIAR as generuj_tekst takes it (100M when left out). The text is made in Windows-EE
# and turned into the other sources by znakomat-cli itself. Every program's output is
# compared with znakomat-cli's first; a program whose output differs is left out of the
# table and named below it. Builds Release in build-bench; on Debian 12 as root it first
# installs what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/pakiety.sh

ROZMIAR=${1:-100M}
TABELA=$(realpath -m "${2:-build-bench/porownanie.md}")
BIEGI=${BIEGI:-10}
RUNDY=${RUNDY:-5}
TYLKO_KOPIE=${TYLKO_KOPIE:-0}

zainstaluj_pakiety "${PAKIETY_BUDOWANIA[@]}" hyperfine icu-devtools recode konwert time

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DZNAKOMAT_WITH_GUI=OFF -DZNAKOMAT_BENCH=ON >/dev/null
cmake --build build-bench --target znakomat-cli generuj_tekst >/dev/null
CLI=$PWD/build-bench/cli/znakomat-cli
GENERATOR=$PWD/build-bench/bench/generuj_tekst

FOLDER=$(mktemp -d)
trap 'rm -rf "$FOLDER"' EXIT
cd "$FOLDER"
"$GENERATOR" "$ROZMIAR" Windows-EE >windows.txt
"$CLI" -f Windows-EE -t UTF-8 -o utf8.txt windows.txt
"$CLI" -f Windows-EE -t Mazovia -o mazovia.txt windows.txt
"$CLI" -f Windows-EE -t ISO-Latin-2 -o iso.txt windows.txt

# The letters of each single-byte standard, in the table's order, for tr.
WINDOWS='\245\306\312\243\321\323\214\217\257\271\346\352\263\361\363\234\237\277'
MAZOVIA='\217\225\220\234\245\243\230\240\241\206\215\221\222\244\242\236\246\247'
ISO='\241\306\312\243\321\323\246\254\257\261\346\352\263\361\363\266\274\277'
BRAK='ACELNOSZZacelnoszz'

# One conversion: its title, its input, the standards, then "name|command" of the others.
porownania=(
    "Windows-EE → ISO-Latin-2|windows.txt|Windows-EE|ISO-Latin-2"
    "iconv|iconv -f CP1250 -t ISO-8859-2 windows.txt"
    "uconv|uconv -f windows-1250 -t iso-8859-2 windows.txt"
    "recode|recode windows-1250..latin2 <windows.txt"
    "konwert|konwert cp1250-iso2 windows.txt"
    "tr (six letters)|tr '\245\214\217\271\234\237' '\241\246\254\261\266\274' <windows.txt"
    "cat|cat windows.txt"
    --
    "Windows-EE → UTF-8|windows.txt|Windows-EE|UTF-8"
    "iconv|iconv -f CP1250 -t UTF-8 windows.txt"
    "uconv|uconv -f windows-1250 -t utf-8 windows.txt"
    "recode|recode windows-1250..utf-8 <windows.txt"
    "konwert|konwert cp1250-UTF8 windows.txt"
    "cat|cat windows.txt"
    --
    "UTF-8 → Windows-EE|utf8.txt|UTF-8|Windows-EE"
    "iconv|iconv -f UTF-8 -t CP1250 utf8.txt"
    "uconv|uconv -f utf-8 -t windows-1250 utf8.txt"
    "recode|recode utf-8..windows-1250 <utf8.txt"
    "konwert|konwert UTF8-cp1250 utf8.txt"
    "cat|cat utf8.txt"
    --
    "Mazovia → Windows-EE|mazovia.txt|Mazovia|Windows-EE"
    "konwert|konwert mazovia-cp1250 mazovia.txt"
    "tr|tr '$MAZOVIA' '$WINDOWS' <mazovia.txt"
    "cat|cat mazovia.txt"
    --
    "ISO-Latin-2 → brak|iso.txt|ISO-Latin-2|brak"
    "iconv|iconv -f ISO-8859-2 -t ASCII//TRANSLIT iso.txt"
    "uconv|uconv -f iso-8859-2 -t us-ascii -x Latin-ASCII iso.txt"
    "recode|recode -f latin2..ascii <iso.txt"
    "konwert|konwert iso2-ascii iso.txt"
    "tr|tr '$ISO' '$BRAK' <iso.txt"
    "cat|cat iso.txt"
    --
)

# Peak resident memory of a command in MB.
pamiec() {
    local kb
    kb=$( (eval "/usr/bin/time -v $1" 2>&1 >/dev/null) | awk -F': ' '/Maximum resident set size/ {print $2}')
    awk -v kb="$kb" 'BEGIN { printf "%.1f", kb / 1024 }'
}

wiersze=()
pominiete=()
# konwert takes about half a minute for 10 MB: it runs once, without a warm-up.
WOLNE=konwert
dodaj_wyniki() {
    local tytul=$1
    shift
    echo "== $tytul" >&2
    local czas_wzoru=""
    for wpis in "$@"; do
        local nazwa=${wpis%%|*} polecenie=${wpis#*|} biegi=$BIEGI rozgrzewka=2 opis=""
        if [[ $nazwa == "$WOLNE" ]]; then
            biegi=1 rozgrzewka=0 opis=" (1 run)"
        fi
        hyperfine --style basic --output pipe --warmup "$rozgrzewka" --runs "$biegi" --export-csv wyniki.csv \
            --command-name "$nazwa" "$polecenie" >&2
        local mediana
        mediana=$(awk -F, 'NR == 2 {print $4}' wyniki.csv)
        czas_wzoru=${czas_wzoru:-$mediana}
        wiersze+=("| $tytul | $nazwa | $(awk -v t="$mediana" 'BEGIN {printf "%.3f", t}') s$opis | $(awk -v t="$mediana" -v w="$czas_wzoru" 'BEGIN {printf "%.2f", t / w}') | $(pamiec "$polecenie") MB |")
    done
}

# The median of the numbers after the first, and their lowest and highest, each with the
# decimals the first says: "1.05 [0.98–1.12]".
mediana_z_rozrzutem() {
    local miejsc=$1
    shift
    printf '%s\n' "$@" | sort -g | awk -v f="%.${miejsc}f" '{ v[NR] = $1 }
        END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
              printf f " [" f "–" f "]", m, v[1], v[NR] }'
}

# znakomat-cli beside the copy of its input: into a file against dd conv=fsync, into a pipe
# against cat. Each round times the commands in one hyperfine run; a round's ratio is its
# median over the copy's median, so the machine's drift between rounds cancels out. Beside
# them, what the same bytes cost through a pipe without a conversion: two copies with a pipe
# between them (cat | cat), and znakomat-cli from the source to itself (read, handed on,
# copied, written, nothing counted).
kopie=()
porownaj_z_kopia() {
    local tytul=$1 wejscie=$2 zrodlo=$3 cel=$4
    echo "== $tytul: beside a copy" >&2
    local do_pliku=() dd=() do_potoku=() cat=() ilorazy_pliku=() ilorazy_potoku=() ilorazy_cat=() ilorazy_ramy=()
    for ((runda = 1; runda <= RUNDY; ++runda)); do
        hyperfine --style basic --output pipe --warmup 2 --runs "$BIEGI" --export-csv kopia.csv \
            --command-name "znakomat-cli -o" "$CLI -f $zrodlo -t $cel -o wynik.txt $wejscie" \
            --command-name "dd conv=fsync" "dd if=$wejscie of=kopia.txt bs=256K conv=fsync status=none" \
            --command-name "znakomat-cli |" "$CLI -f $zrodlo -t $cel $wejscie" \
            --command-name "cat |" "cat $wejscie" \
            --command-name "cat | cat |" "cat $wejscie | cat" \
            --command-name "znakomat-cli bez zmian |" "$CLI -f $zrodlo -t $zrodlo $wejscie" >&2
        local m
        mapfile -t m < <(awk -F, 'NR > 1 {print $4}' kopia.csv)
        do_pliku+=("${m[0]}") dd+=("${m[1]}") do_potoku+=("${m[2]}") cat+=("${m[3]}")
        ilorazy_pliku+=("$(awk -v a="${m[0]}" -v b="${m[1]}" 'BEGIN {print a / b}')")
        ilorazy_potoku+=("$(awk -v a="${m[2]}" -v b="${m[3]}" 'BEGIN {print a / b}')")
        ilorazy_cat+=("$(awk -v a="${m[4]}" -v b="${m[3]}" 'BEGIN {print a / b}')")
        ilorazy_ramy+=("$(awk -v a="${m[5]}" -v b="${m[3]}" 'BEGIN {print a / b}')")
    done
    kopie+=("| $tytul | $(mediana_z_rozrzutem 3 "${do_pliku[@]}") s | $(mediana_z_rozrzutem 3 "${dd[@]}") s |\
 $(mediana_z_rozrzutem 2 "${ilorazy_pliku[@]}") | $(mediana_z_rozrzutem 3 "${do_potoku[@]}") s |\
 $(mediana_z_rozrzutem 3 "${cat[@]}") s | $(mediana_z_rozrzutem 2 "${ilorazy_potoku[@]}") |\
 $(mediana_z_rozrzutem 2 "${ilorazy_cat[@]}") | $(mediana_z_rozrzutem 2 "${ilorazy_ramy[@]}") |")
}

grupa=()
for wpis in "${porownania[@]}"; do
    if [[ $wpis != -- ]]; then
        grupa+=("$wpis")
        continue
    fi
    IFS='|' read -r tytul wejscie zrodlo cel <<<"${grupa[0]}"
    nasze="$CLI -f $zrodlo -t $cel $wejscie"
    eval "$nasze" >wzor.txt
    sprawdzone=("znakomat-cli|$nasze")
    # Only the copies are timed: the others (konwert takes a minute) need no check.
    inni=("${grupa[@]:1}")
    if [[ $TYLKO_KOPIE == 1 ]]; then
        inni=()
    fi
    for inny in "${inni[@]}"; do
        if eval "${inny#*|}" 2>/dev/null | cmp -s - wzor.txt; then
            sprawdzone+=("$inny")
        elif [[ ${inny%%|*} != cat ]]; then
            pominiete+=("${inny%%|*} ($tytul)")
        else
            sprawdzone+=("$inny")
        fi
    done
    if [[ $TYLKO_KOPIE != 1 ]]; then
        dodaj_wyniki "$tytul" "${sprawdzone[@]}"
    fi
    porownaj_z_kopia "$tytul" "$wejscie" "$zrodlo" "$cel"
    grupa=()
done

procesor=$(lscpu | awk -F': +' '/Model name/ {print $2; exit}')
{
    echo "Measured $(date -u +%Y-%m-%d) on $procesor, $(nproc) cores, $(free -g | awk '/Mem:/ {print $2}') GB," \
        "$(. /etc/os-release && echo "$PRETTY_NAME"), Linux $(uname -r); a text of $(stat -c %s windows.txt) bytes" \
        "($ROZMIAR)."
    if [[ $TYLKO_KOPIE != 1 ]]; then
        echo
        echo "$BIEGI runs after 2 warm-ups, output into a pipe. Ratio: time over znakomat-cli's for the same" \
            "conversion; cat only reads and writes the file."
        echo
        echo "| Conversion | Program | Median time | Ratio | Peak memory |"
        echo "| --- | --- | ---: | ---: | ---: |"
        printf '%s\n' "${wiersze[@]}"
        if ((${#pominiete[@]} > 0)); then
            echo
            echo "Left out, their output differs from znakomat-cli's: $(
                IFS=,
                echo "${pominiete[*]}" | sed 's/,/, /g'
            )."
        fi
    fi
    echo
    echo "Beside a copy of the same file: $RUNDY rounds, each of $BIEGI runs of every command after 2" \
        "warm-ups; the median of the rounds' medians, [lowest–highest] round. Ratio: znakomat-cli's time" \
        "over the copy's in the same round. Into a file: znakomat-cli -o against dd bs=256K conv=fsync;" \
        "into a pipe: znakomat-cli against cat. Without a conversion, into a pipe, over cat's time in" \
        "the same round: cat IN | cat, and znakomat-cli from the source to itself."
    echo
    echo "| Conversion | Into a file | dd conv=fsync | Ratio | Into a pipe | cat | Ratio | cat \\| cat | Source to itself |"
    echo "| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |"
    printf '%s\n' "${kopie[@]}"
} >"$TABELA"
cat "$TABELA"
