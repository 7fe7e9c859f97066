#!/usr/bin/env bash
# Installs the build into a scratch root and reads both programs' manual pages there with
# man, as a reader whose locale is C and one whose locale is Polish would: each must get
# the page in their language, whole, without a warning from the formatter. The Polish
# locale is built in the scratch folder, so the machine's locales stay as they are.
# Exits 77 (skipped) only when man or the locale sources are not installed.
#   sprawdz_man.sh BUILD SCRATCH
set -euo pipefail
budowa=$1 robocze=$2

if ! command -v man >/dev/null || ! command -v localedef >/dev/null ||
    [[ ! -f /usr/share/i18n/locales/pl_PL ]]; then
    echo "SKIPPED: man or the locale sources are not installed (packages man-db, locales)"
    exit 77
fi

rm -rf "$robocze"
mkdir -p "$robocze/locale"
DESTDIR=$robocze/korzen cmake --install "$budowa" --prefix /usr >/dev/null
strony=$robocze/korzen/usr/share/man
localedef -i pl_PL -f UTF-8 "$robocze/locale/pl_PL.UTF-8"

bledy=0
blad() {
    echo "FAIL: $*" >&2
    bledy=$((bledy + 1))
}

# The locale, the heading of the NAME section in that language, and where the page lies.
for wiersz in "C NAME man1" "pl_PL.UTF-8 NAZWA pl/man1"; do
    read -r jezyk naglowek folder <<<"$wiersz"
    # MANPATH, not -M: man looks in the folders of the reader's language only along MANPATH.
    czytelnik=(env -i PATH=/usr/bin:/bin LANG="$jezyk" LOCPATH="$robocze/locale" MANPATH="$strony"
        MANWIDTH=120 man --warnings -P cat)
    for program in znakomat znakomat-cli; do
        gdzie="$program under LANG=$jezyk"
        sciezka=$("${czytelnik[@]}" -w "$program" 2>&1) || true
        [[ $sciezka == "$strony/$folder/$program.1.gz" ]] || blad "$gdzie: man finds ${sciezka#"$strony/"}, not $folder"
        if ! "${czytelnik[@]}" "$program" >"$robocze/strona.txt" 2>"$robocze/uwagi.txt"; then
            blad "$gdzie: man failed: $(cat "$robocze/uwagi.txt")"
            continue
        fi
        [[ ! -s $robocze/uwagi.txt ]] || blad "$gdzie: $(cat "$robocze/uwagi.txt")"
        grep -qx "$naglowek" "$robocze/strona.txt" || blad "$gdzie: no $naglowek section"
        if [[ $jezyk == C ]]; then
            # Nothing a C terminal cannot show, so nothing replaced or dropped.
            ! LC_ALL=C grep -n '[^[:print:][:space:]]' "$robocze/strona.txt" >&2 ||
                blad "$gdzie: characters outside ASCII"
        else
            grep -q 'polskich liter tekstu między' "$robocze/strona.txt" ||
                blad "$gdzie: the Polish letters of the name line are not whole: $(grep -A1 -x "$naglowek" "$robocze/strona.txt")"
        fi
    done
done

if ((bledy)); then
    echo "$bledy problem(s)" >&2
    exit 1
fi
echo "manual pages checked: English under C, Polish under pl_PL.UTF-8, no warnings"
