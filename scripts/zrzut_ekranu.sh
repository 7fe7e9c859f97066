#!/usr/bin/env bash
# Takes the screenshot README shows (docs/znakomat.png): builds the program if needed,
# starts it on a virtual screen and grabs its window.
#   scripts/zrzut_ekranu.sh [PLIK.png [PROGRAM]]
# With PROGRAM (e.g. /usr/bin/znakomat from the package) nothing is built.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/pakiety.sh

export ZRZUT=${1:-docs/znakomat.png}
export PROGRAM=${2:-build/app/znakomat}

zainstaluj_pakiety "${PAKIETY_BUDOWANIA[@]}" xvfb xauth xdotool imagemagick
if (($# < 2)); then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
    cmake --build build --target znakomat
fi

# Runs on the virtual screen; xvfb-run is a sh script, so the function goes as text.
zrob_zrzut() {
    set -euo pipefail
    LANG=C.UTF-8 LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb "$PROGRAM" &
    program_pid=$!
    trap 'kill "$program_pid" 2>/dev/null || true; wait "$program_pid" 2>/dev/null || true' EXIT

    local okna
    okna=$(timeout 60 xdotool search --sync --onlyvisible --name '^Znakomat') || {
        echo "the window did not appear in 60 s" >&2
        return 1
    }
    local okno=${okna%%$'\n'*}

    # Mapped is not yet painted: wait until two grabs in a row are alike and show more
    # than a blank background.
    local poprzedni='' obecny kolory
    for ((proba = 0; proba < 200; proba++)); do
        obecny=$(import -window "$okno" rgb:- | md5sum)
        kolory=$(import -window "$okno" -format '%k' info:)
        if [[ $obecny == "$poprzedni" ]] && ((kolory > 16)); then
            # No time stamps, so an unchanged window gives an unchanged file.
            import -window "$okno" -strip -define png:exclude-chunks=date,time "$ZRZUT"
            echo "$ZRZUT: $(identify -format '%wx%h' "$ZRZUT")"
            return 0
        fi
        poprzedni=$obecny
    done
    echo "the window kept changing or stayed blank" >&2
    return 1
}

mkdir -p "$(dirname "$ZRZUT")"
katalog=$(mktemp -d)
trap 'rm -rf "$katalog"' EXIT
XDG_RUNTIME_DIR=$katalog xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash -c "$(declare -f zrob_zrzut); zrob_zrzut"
