#!/usr/bin/env bash
# Builds the .deb with cpack, reads its control data, unpacks it into a scratch root,
# checks what a user would get from it and has lintian judge it.
#   sprawdz_pakiet.sh BUILD SCRATCH ID VERSION SPRAWDZ_IKONY ZNAKOMAT.xpm "ROZMIARY" DOKUMENTY
# DOKUMENTY is the documentation folder relative to the programs' folder.
set -euo pipefail
budowa=$1 robocze=$2 id=$3 wersja=$4 sprawdz_ikony=$5 xpm=$6 dokumenty=$8
read -r -a rozmiary <<<"$7"

for narzedzie in lintian rsvg-convert dpkg-parsechangelog; do
    command -v "$narzedzie" >/dev/null || {
        echo "$narzedzie is not installed (scripts/test.sh installs it)" >&2
        exit 1
    }
done

bledy=0
blad() {
    echo "FAIL: $*" >&2
    bledy=$((bledy + 1))
}

rm -rf "$robocze"
mkdir -p "$robocze"
cpack -G DEB --config "$budowa/CPackConfig.cmake" -B "$robocze/cpack" >"$robocze/cpack.log" 2>&1 || {
    cat "$robocze/cpack.log" >&2
    exit 1
}
shopt -s nullglob
pakiety=("$robocze"/cpack/znakomat_*.deb)
if ((${#pakiety[@]} != 1)); then
    echo "expected one znakomat_*.deb, found ${#pakiety[@]}" >&2
    exit 1
fi
deb=${pakiety[0]}
echo "package: ${deb##*/}"

# Control data.
pole() { dpkg-deb -f "$deb" "$1"; }
[[ $(pole Package) == znakomat ]] || blad "Package: $(pole Package)"
[[ $(pole Version) == "$wersja"-* ]] || blad "Version $(pole Version) is not $wersja-<revision>"
[[ $(pole Architecture) == "$(dpkg --print-architecture)" ]] || blad "Architecture: $(pole Architecture)"
[[ $(pole Section) == utils ]] || blad "Section: $(pole Section)"
[[ $(pole Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || blad "Maintainer is not 'Name <address>': $(pole Maintainer)"
[[ -n $(pole Description | sed -n 2p) ]] || blad "Description has no long part"
# Reserved example domains lead nowhere.
[[ ! $(pole Homepage) =~ \.example(/|$) ]] || blad "Homepage names an example domain: $(pole Homepage)"
for polecany in qt6-wayland xdg-utils; do
    tr ',' '\n' <<<"$(pole Recommends)" | grep -Eq "^ *$polecany( \(|$)" || blad "Recommends lacks $polecany"
done
zaleznosci=$(pole Depends)
echo "Depends: $zaleznosci"
# Whole names: libqt6widgets6 must not be satisfied by, say, libqt6widgets6-dev.
for wymagany in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 \
    fonts-liberation2 qt6-qpa-plugins qt6-translations-l10n; do
    tr ',' '\n' <<<"$zaleznosci" | grep -Eq "^ *$(sed 's/[+.]/\\&/g' <<<"$wymagany")( \(|$)" ||
        blad "Depends lacks $wymagany"
done
# Versioned library dependencies show that they came from dpkg-shlibdeps.
grep -Eq 'libqt6widgets6 \(>= [0-9]' <<<"$zaleznosci" || blad "libqt6widgets6 has no version: shlibdeps did not run"
dpkg-deb -I "$deb" >"$robocze/info.txt"

# Every path under /usr, owned by root, readable by all and writable by root only.
while read -r prawa wlasciciel _ _ _ sciezka _; do
    if [[ $wlasciciel != root/root ]]; then
        blad "$sciezka is owned by $wlasciciel"
    fi
    if [[ $sciezka != ./ && $sciezka != ./usr/* || $sciezka == ./usr/local/* ]]; then
        blad "$sciezka is outside /usr or in /usr/local"
    fi
    case $prawa in
        drwxr-xr-x | -rw-r--r-- | -rwxr-xr-x) ;;
        *) blad "$sciezka has mode $prawa" ;;
    esac
done < <(dpkg-deb -c "$deb")

korzen=$robocze/korzen
dpkg -x "$deb" "$korzen"

binaria=(znakomat znakomat-cli)
for nazwa in "${binaria[@]}"; do
    plik=$korzen/usr/bin/$nazwa
    if [[ ! -x $plik ]]; then
        blad "usr/bin/$nazwa missing or not executable"
        continue
    fi
    [[ $(head -c4 "$plik" | od -An -c | tr -d ' ') == 177ELF ]] || blad "usr/bin/$nazwa is not an ELF file"
    if ! ldd "$plik" >"$robocze/ldd-$nazwa.txt" 2>&1; then
        blad "ldd usr/bin/$nazwa failed: $(cat "$robocze/ldd-$nazwa.txt")"
    elif grep -q 'not found' "$robocze/ldd-$nazwa.txt"; then
        blad "usr/bin/$nazwa: unresolved libraries: $(grep 'not found' "$robocze/ldd-$nazwa.txt")"
    fi
done
# Nothing stray in bin/: test and benchmark programs stay in the build.
for plik in "$korzen"/usr/bin/*; do
    [[ " ${binaria[*]} " == *" ${plik##*/} "* ]] || blad "unexpected usr/bin/${plik##*/}"
done

if [[ -x $korzen/usr/bin/znakomat-cli ]]; then
    if lista=$("$korzen/usr/bin/znakomat-cli" -l); then
        # A line per standard: its name first, its other names after it.
        nazwy=$(cut -d' ' -f1 <<<"$lista")
        ile=$(grep -c . <<<"$nazwy")
        ((ile == 18)) || blad "znakomat-cli -l lists $ile standards, not 18"
        ((ile == $(sort -u <<<"$nazwy" | grep -c .))) || blad "znakomat-cli -l lists a standard twice"
        for nazwa in brak Mazovia UTF-8; do
            grep -qx "$nazwa" <<<"$nazwy" || blad "znakomat-cli -l does not list $nazwa"
        done
    else
        blad "znakomat-cli -l failed"
    fi

    # The completion, as bash runs it for a user who pressed Tab after the words given.
    dopelnienie=$korzen/usr/share/bash-completion/completions/znakomat-cli
    dopelnij() {
        PATH=$korzen/usr/bin:$PATH bash -c 'source "$1"; shift; COMP_WORDS=("$@")
            COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _znakomat_cli 2>/dev/null; echo "${COMPREPLY[*]}"' \
            _ "$dopelnienie" znakomat-cli "$@"
    }
    if [[ -f $dopelnienie ]]; then
        [[ $(dopelnij -f maz) == Mazovia ]] || blad "completion of '-f maz': $(dopelnij -f maz)"
        [[ $(dopelnij --to-code = utf) == UTF-8 ]] || blad "completion of '--to-code=utf': $(dopelnij --to-code = utf)"
        [[ $(dopelnij --out) == "--output= --output-dir=" ]] || blad "completion of '--out': $(dopelnij --out)"
        [[ $(dopelnij -t "" | wc -w) -ge 18 ]] || blad "completion after -t: $(dopelnij -t "")"
        [[ $(dopelnij -f AU) == auto && -z $(dopelnij -t au) ]] || blad "completion of 'auto': $(dopelnij -f AU) / $(dopelnij -t au)"
        [[ $(dopelnij --kat) == --katalog= ]] || blad "completion of '--kat': $(dopelnij --kat)"
    else
        blad "${dopelnienie#"$korzen"} missing"
    fi
fi

# An English and a Polish manual page for each program; lintian reads them for mistakes.
for nazwa in "${binaria[@]}"; do
    for folder in man1 pl/man1; do
        [[ -s $korzen/usr/share/man/$folder/$nazwa.1.gz ]] || blad "usr/share/man/$folder/$nazwa.1.gz missing"
    done
done
changelog=$korzen/usr/share/doc/znakomat/changelog.Debian.gz
if [[ -f $changelog ]]; then
    wpisana=$(zcat "$changelog" | dpkg-parsechangelog -l- -SVersion)
    [[ $wpisana == "$(pole Version)" ]] || blad "changelog names $wpisana, the package is $(pole Version)"
else
    blad "usr/share/doc/znakomat/changelog.Debian.gz missing"
fi

# The WWW button opens the page in the documentation folder, found from the program's own,
# with the picture the page shows; doc-base registers that page.
strona=$(realpath -m "$korzen/usr/bin/$dokumenty/znakomat.html")
[[ -s $strona && -s ${strona%/*}/docs/znakomat.png ]] || blad "the users' page ${strona#"$korzen"} or its picture is not in the package"
grep -qx "Index: ${strona#"$korzen"}" "$korzen/usr/share/doc-base/znakomat" ||
    blad "doc-base does not name ${strona#"$korzen"}: $(grep '^Index:' "$korzen/usr/share/doc-base/znakomat")"

# The menu entry starts a binary of this package and shows an icon of this package.
wpis=$korzen/usr/share/applications/$id.desktop
metainfo=$korzen/usr/share/metainfo/$id.metainfo.xml
[[ -f $metainfo ]] || blad "usr/share/metainfo/$id.metainfo.xml missing"
[[ -s $korzen/usr/share/doc/znakomat/copyright ]] || blad "usr/share/doc/znakomat/copyright missing"
if [[ -f $wpis ]]; then
    exec_=$(sed -n 's/^Exec=//p' "$wpis")
    ikona=$(sed -n 's/^Icon=//p' "$wpis")
    [[ -x $korzen/usr/bin/${exec_%% *} ]] || blad "Exec=$exec_ is not in usr/bin"
    # "Open with" and a file dropped on the launcher give the program the file.
    [[ $exec_ == *' %f' ]] || blad "Exec=$exec_ takes no file"
    # Claiming text files would make the program their default where no default is set.
    grep -q '^MimeType=' "$wpis" && blad "the menu entry claims file types: $(grep '^MimeType=' "$wpis")"
    ikony=()
    for rozmiar in "${rozmiary[@]}"; do
        plik=$korzen/usr/share/icons/hicolor/${rozmiar}x$rozmiar/apps/$ikona.png
        if [[ -f $plik ]]; then ikony+=("$plik"); else blad "icon ${plik#"$korzen"} missing"; fi
    done
    if ((${#ikony[@]})); then
        "$sprawdz_ikony" "$xpm" "${ikony[@]}" || blad "the icons are not the window's picture"
    fi
    svg=$korzen/usr/share/icons/hicolor/scalable/apps/$ikona.svg
    if [[ -f $svg ]]; then
        rsvg-convert -w 32 -h 32 -o "$robocze/ikona-32.png" "$svg" || blad "rsvg-convert cannot draw ${svg#"$korzen"}"
        "$sprawdz_ikony" --rysunek "$xpm" "$robocze/ikona-32.png" || blad "the scalable icon is not the window's picture"
        rsvg-convert -w 256 -h 256 -o "$robocze/ikona-256.png" "$svg" || blad "rsvg-convert cannot draw ${svg#"$korzen"} at 256 px"
    else
        blad "${svg#"$korzen"} missing"
    fi
else
    blad "usr/share/applications/$id.desktop missing"
fi

# lintian's errors, warnings and pedantic remarks fail; its informational ones are shown.
lintian --pedantic --display-info --tag-display-limit 0 "$deb" >"$robocze/lintian.txt" 2>&1 || true
cat "$robocze/lintian.txt"
if grep -Eq '^[EWP]: ' "$robocze/lintian.txt"; then
    blad "lintian: $(grep -Ec '^[EWP]: ' "$robocze/lintian.txt") error(s), warning(s) and pedantic remark(s)"
fi

if ((bledy)); then
    echo "$bledy problem(s); control data: $robocze/info.txt" >&2
    exit 1
fi
echo "package checked: $(dpkg-deb -c "$deb" | wc -l) paths"
