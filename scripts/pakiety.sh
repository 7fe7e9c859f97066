# Installs the Debian packages given as arguments when any of them is missing.
zainstaluj_pakiety() {
    local brakujace=()
    for pakiet in "$@"; do
        dpkg-query -W -f='${Status}' "$pakiet" 2>/dev/null | grep -q 'install ok installed' ||
            brakujace+=("$pakiet")
    done
    ((${#brakujace[@]} == 0)) && return 0
    if [[ $(id -u) -ne 0 ]]; then
        echo "Brakuje pakietów: ${brakujace[*]}. Zainstaluj je (apt-get install) albo uruchom jako root." >&2
        return 1
    fi
    echo "Instaluję: ${brakujace[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${brakujace[@]}" >/dev/null
}

# cmark-gfm renders the README the WWW button opens; dpkg-dev gives Debian's hardening flags;
# libacl1-dev and libattr1-dev carry a replaced output's access lists and attributes over;
# libxcb1-dev lets the window tests send the window manager's close request.
PAKIETY_BUDOWANIA=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-qpa-plugins qt6-translations-l10n
    fonts-liberation2 fonts-dejavu-core cmark-gfm dpkg-dev libacl1-dev libattr1-dev libxcb1-dev)
