#!/usr/bin/env bash
# Installing the menu entry must not change which program opens a text file by default:
# in a scratch desktop with an editor's entry, gio and xdg-mime answer the same before and
# after. A control copy of the entry that claims text files must change the answer.
#   sprawdz_domyslne.sh WPIS.desktop SCRATCH
set -euo pipefail
wpis=$1 robocze=$2 nazwa=${1##*/}
aplikacje=$robocze/dane/applications

rm -rf "$robocze"
mkdir -p "$robocze/bin" "$aplikacje"
# Both list only entries whose program they can find.
for program in edytor "$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$wpis")"; do
    printf '#!/bin/sh\n' >"$robocze/bin/$program"
    chmod +x "$robocze/bin/$program"
done
printf '[Desktop Entry]\nType=Application\nName=Edytor\nExec=edytor %%F\nMimeType=text/plain;\n' \
    >"$aplikacje/org.example.Edytor.desktop"

domyslne() {
    update-desktop-database "$aplikacje"
    local srodowisko=(env -i PATH="$robocze/bin:/usr/bin:/bin" LANG=C.UTF-8 HOME="$robocze"
        XDG_DATA_HOME="$robocze/dom" XDG_DATA_DIRS="$robocze/dane" XDG_CONFIG_HOME="$robocze/dom"
        XDG_CONFIG_DIRS="$robocze/dom")
    echo "gio: $("${srodowisko[@]}" gio mime text/plain | head -n1); xdg-mime: $("${srodowisko[@]}" xdg-mime query default text/plain)"
}

przed=$(domyslne)
echo "editor only: $przed"
[[ $przed == *org.example.Edytor.desktop*org.example.Edytor.desktop ]] || { echo "FAIL: no editor default" >&2; exit 1; }
{ grep -v '^MimeType=' "$wpis"; echo 'MimeType=text/plain;'; } >"$aplikacje/$nazwa"
[[ $(domyslne) != "$przed" ]] || { echo "FAIL: a claiming entry changed nothing; the check sees nothing" >&2; exit 1; }
cp "$wpis" "$aplikacje/$nazwa"
po=$(domyslne)
echo "with $nazwa: $po"
[[ $po == "$przed" ]] || { echo "FAIL: installing $nazwa changed the default program for text files" >&2; exit 1; }
