#!/usr/bin/env bash
# Runs a window test on a virtual X screen of its own, so that window tests run side by
# side: each has its own focus and clipboard. Xvfb picks a free display itself
# (-displayfd), which xvfb-run -a cannot do safely for programs started at once.
#   na_wlasnym_ekranie.sh PROGRAM [ARGUMENTS...]
set -euo pipefail

folder=$(mktemp -d)
mkfifo "$folder/numer"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$folder/numer" >"$folder/xvfb.log" 2>&1 &
serwer=$!
trap 'kill "$serwer" 2>/dev/null; wait "$serwer" 2>/dev/null; rm -rf "$folder"' EXIT

# Xvfb writes the number once it accepts connections; a server that failed closes the
# pipe without one.
numer=
read -r numer <"$folder/numer" || true
if [[ -z $numer ]]; then
    echo "Xvfb did not start:" >&2
    cat "$folder/xvfb.log" >&2
    exit 1
fi
DISPLAY=:$numer "$@"
