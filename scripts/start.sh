#!/usr/bin/env bash
# Builds Znakomat and starts it. On Debian 12 as root it first installs what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/pakiety.sh

zainstaluj_pakiety "${PAKIETY_BUDOWANIA[@]}"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build build

if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
    cat >&2 <<'MSG'
Znakomat is built (build/app/znakomat), but there is no display to show its window:
neither DISPLAY nor WAYLAND_DISPLAY is set. Start it from a desktop session, or on a
virtual screen:
    apt-get install -y xvfb xauth && xvfb-run -a build/app/znakomat
MSG
    exit 1
fi
exec build/app/znakomat "$@"
