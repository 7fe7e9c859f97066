#!/usr/bin/env bash
# Installs the build into a scratch root and runs the freedesktop and AppStream validators
# on the menu entry and the metainfo there. Exits 77 (skipped) only when a validator is
# not installed; scripts/test.sh installs both.
#   sprawdz_pliki.sh BUILD SCRATCH ID VERSION
set -euo pipefail
budowa=$1 korzen=$2 id=$3 wersja=$4

rm -rf "$korzen"
DESTDIR=$korzen cmake --install "$budowa" --prefix /usr >/dev/null
wpis=$korzen/usr/share/applications/$id.desktop
metainfo=$korzen/usr/share/metainfo/$id.metainfo.xml
for plik in "$wpis" "$metainfo"; do
    [[ -f $plik ]] || { echo "not installed: ${plik#"$korzen"}" >&2; exit 1; }
done

# The newest release in the metainfo is the version being built.
najnowsza=$(grep -o -m1 '<release version="[^"]*"' "$metainfo" | cut -d'"' -f2)
if [[ $najnowsza != "$wersja" ]]; then
    echo "metainfo: newest release is '$najnowsza', the project is $wersja" >&2
    exit 1
fi

brakuje=()
if command -v desktop-file-validate >/dev/null; then
    # Silence is success: warnings and hints fail too.
    uwagi=$(desktop-file-validate "$wpis" 2>&1) || true
    if [[ -n $uwagi ]]; then
        echo "$uwagi" >&2
        exit 1
    fi
    echo "desktop-file-validate: ${wpis#"$korzen"} is valid"
else
    brakuje+=(desktop-file-validate)
fi

if command -v appstreamcli >/dev/null; then
    # As a reviewer runs it: pedantic, and free to fetch every address the file names.
    appstreamcli validate --pedantic "$metainfo"
    # The validator does not know the ID's top-level domain, "example", and says so; any
    # other remark fails.
    zgoda=(--override=cid-maybe-not-rdns=pedantic)
    appstreamcli validate --no-net --strict "${zgoda[@]}" "$metainfo"
    # The installed tree: the launchable, the desktop entry and the icon together.
    appstreamcli validate-tree --no-net --strict "${zgoda[@]}" "$korzen"
else
    brakuje+=(appstreamcli)
fi

if ((${#brakuje[@]})); then
    echo "SKIPPED: not installed: ${brakuje[*]} (packages desktop-file-utils, appstream)"
    exit 77
fi
