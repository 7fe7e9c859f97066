#!/usr/bin/env bash
# Installing the menu entry must not change which program opens a text file by default.
# In a scratch desktop with only an editor's entry, gio (GNOME, GLib programs) and xdg-mime
# (every other desktop) are asked for the default program of text/plain before and after
# the entry is added. A control run first adds a copy of the entry that claims text files,
# which must change the answer, so the check is known to see a change.
#   sprawdz_domyslne.sh WPIS.desktop SCRATCH
set -euo pipefail
wpis=$1 robocze=$2

for narzedzie in gio xdg-mime update-desktop-database; do
    command -v "$narzedzie" >/dev/null || {
        echo "$narzedzie is not installed (packages libglib2.0-bin, xdg-utils, desktop-file-utils)" >&2
        exit 1
    }
done

rm -rf "$robocze"
mkdir -p "$robocze"/{bin,dom,konfiguracja}
aplikacje=$robocze/dane/applications
# Both lookups list only entries whose program can be found.
printf '#!/bin/sh\n' >"$robocze/bin/edytor"
cp "$robocze/bin/edytor" "$robocze/bin/$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$wpis")"
chmod +x "$robocze"/bin/*

pulpit() {
    env -i PATH="$robocze/bin:/usr/bin:/bin" LANG=C.UTF-8 HOME="$robocze/dom" \
        XDG_DATA_HOME="$robocze/dom/share" XDG_DATA_DIRS="$robocze/dane" \
        XDG_CONFIG_HOME="$robocze/konfiguracja" XDG_CONFIG_DIRS="$robocze/konfiguracja" "$@"
}
domyslne() {
    update-desktop-database "$aplikacje"
    echo "gio: $(pulpit gio mime text/plain | head -n1)"
    echo "xdg-mime: $(pulpit xdg-mime query default text/plain)"
}
nowy() {
    rm -rf "$robocze/dane"
    mkdir -p "$aplikacje"
    cat >"$aplikacje/org.example.Edytor.desktop" <<'WPIS'
[Desktop Entry]
Type=Application
Name=Edytor
Exec=edytor %F
MimeType=text/plain;
WPIS
}

nowy
przed=$(domyslne)
echo "with the editor only:"
echo "$przed"
[[ $przed == *org.example.Edytor.desktop*org.example.Edytor.desktop* ]] || {
    echo "FAIL: the scratch desktop does not name the editor as the default" >&2
    exit 1
}

nazwa=${wpis##*/}
{ grep -v '^MimeType=' "$wpis"; echo 'MimeType=text/plain;'; } >"$aplikacje/$nazwa"
kontrolne=$(domyslne)
if [[ $kontrolne == "$przed" ]]; then
    echo "FAIL: an entry that claims text files did not change the default; the check sees nothing" >&2
    exit 1
fi

nowy
cp "$wpis" "$aplikacje/$nazwa"
po=$(domyslne)
echo "with $nazwa installed:"
echo "$po"
if [[ $po != "$przed" ]]; then
    echo "FAIL: installing $nazwa changed the default program for text files" >&2
    exit 1
fi
