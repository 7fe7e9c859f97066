#!/usr/bin/env bash
# A Debian package installs into /usr whatever prefix its build was configured for: the
# sources configured as a user configures them, with the default prefix /usr/local, must
# give a package for /usr whose doc-base entry names the page the package holds.
#   sprawdz_prefiks.sh SOURCES SCRATCH
set -euo pipefail
zrodla=$1 robocze=$2

rm -rf "$robocze"
cmake -S "$zrodla" -B "$robocze" -DBUILD_TESTING=OFF -DCMAKE_INSTALL_PREFIX=/usr/local >"$robocze.log" 2>&1 || {
    cat "$robocze.log" >&2
    exit 1
}
bledy=0
printf 'include(${CONFIG})\nmessage("${CPACK_PACKAGING_INSTALL_PREFIX}")\n' >"$robocze/prefiks.cmake"
prefiks=$(cmake -DCONFIG="$robocze/CPackConfig.cmake" -P "$robocze/prefiks.cmake" 2>&1)
echo "build prefix /usr/local, package prefix $prefiks"
[[ $prefiks == /usr ]] || { echo "FAIL: the package installs into $prefiks" >&2; bledy=1; }
if grep -E '^(Index|Files):' "$robocze/packaging/znakomat.doc-base" | grep -v ' /usr/share/doc/znakomat/'; then
    echo "FAIL: doc-base names the page outside the package's /usr/share/doc/znakomat" >&2
    bledy=1
fi
exit $bledy
