#!/usr/bin/env bash
# Builds Znakomat and runs every test, each step a preset of CMakePresets.json: the format
# check, the whole suite (window tests on a virtual X screen), the engine, file and
# command-line tests of a build with the plain pass only, then the whole suite again under
# AddressSanitizer and UBSan.
# On Debian 12 as root it first installs what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/pakiety.sh

# lintian and rsvg-convert judge the package; xdotool and xclip play another program on
# the virtual screen (closing the window's connection, owning the clipboard).
zainstaluj_pakiety "${PAKIETY_BUDOWANIA[@]}" libgtest-dev python3 manpages-pl xvfb xauth clang-format libbenchmark-dev \
    desktop-file-utils appstream dpkg-dev file lintian librsvg2-bin xdotool xclip

echo "== Format"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"

# Each suite gets its own X server; -a picks a free display number.
na_ekranie() { xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$@"; }

# Configures, builds and tests one preset; further arguments go to ctest.
preset() {
    local nazwa=$1
    shift
    cmake --preset "$nazwa" >/dev/null
    cmake --build --preset "$nazwa"
    na_ekranie ctest --preset "$nazwa" "$@"
}

echo "== Build and test"
preset ci

echo "== Plain pass only, without SIMD (engine, files, command line)"
preset bez-simd

# The package is judged in the build above: a sanitized debug build lacks the release
# hardening that lintian checks for.
echo "== Sanitizers (everything but the package)"
preset asan -LE pakiet
echo "All tests passed."
