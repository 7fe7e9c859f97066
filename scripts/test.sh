#!/usr/bin/env bash
# Builds Znakomat and runs every test, each step a preset of CMakePresets.json: the format
# check, the whole suite (window tests on a virtual X screen), the engine, file and
# command-line tests of a build with the plain pass only, then the whole suite again under
# AddressSanitizer and UBSan,
# and twenty seconds of fuzzing for each fuzz target, side by side.
# On Debian 12 as root it first installs what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/pakiety.sh

# manpages-pl and iso-codes (20 MB: names of countries, regions, languages) hold the Polish
# text the recognition is measured on, and wpolish's word list says which of its words are
# Polish; lintian and rsvg-convert judge the package; xdotool
# and xclip play another program on the virtual screen (closing the window's connection,
# owning the clipboard); gio and xdg-mime answer which program opens text files; a session
# bus with AT-SPI carries what a screen reader hears; Qt's Wayland plugin is tried without
# a compositor; parallel runs the README's recipe for spreading a tree over machines; man-db
# and locales read the manual pages as English and Polish readers get them.
zainstaluj_pakiety "${PAKIETY_BUDOWANIA[@]}" libgtest-dev python3 manpages-pl iso-codes wpolish xvfb xauth clang-format \
    libbenchmark-dev desktop-file-utils appstream dpkg-dev file lintian librsvg2-bin xdotool xclip clang \
    libclang-rt-14-dev ccache parallel libglib2.0-bin xdg-utils dbus-daemon at-spi2-core python3-pyatspi \
    qt6-wayland acl e2fsprogs man-db locales

echo "== Format"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

# The build folders lie at one depth under the tree, so ccache shares them between clones.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"

# Window tests start an X server each; the rest of a suite gets one too, -a picking a free
# display number.
na_ekranie() { xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$@"; }

# Twice as many tests as processors at a time: window tests mostly wait for their windows
# and timers.
testow_naraz=$(($(nproc) * 2))

# Configures, builds and tests one preset; further arguments go to ctest.
preset() {
    local nazwa=$1
    shift
    cmake --preset "$nazwa" >/dev/null
    cmake --build --preset "$nazwa"
    na_ekranie ctest --preset "$nazwa" -j "$testow_naraz" "$@"
}

echo "== Build and test"
preset ci

echo "== Plain pass only, without SIMD (engine, files, command line)"
preset bez-simd

# The package is judged in the build above: a sanitized debug build lacks the release
# hardening that lintian checks for.
echo "== Sanitizers (everything but the package)"
preset asan -LE pakiet

echo "== Fuzzing (twenty seconds per target, side by side)"
# Pieces cut where the fuzzer says, against the whole text; a difference aborts, and the
# input that found it is kept in build-fuzz/znalezione/.
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZNAKOMAT_FUZZ=ON \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build build-fuzz
mkdir -p build-fuzz/znalezione
cele=(fuzz_bloki fuzz_rozpoznawanie)
for cel in "${cele[@]}"; do
    mkdir -p "build-fuzz/korpus/$cel"
    "build-fuzz/fuzz/$cel" -max_total_time=20 -artifact_prefix=build-fuzz/znalezione/ \
        "build-fuzz/korpus/$cel" >"build-fuzz/$cel.log" 2>&1 &
done
bledne=0
for cel in "${cele[@]}"; do
    if ! wait -n; then
        bledne=1
    fi
done
for cel in "${cele[@]}"; do
    if [[ $bledne -ne 0 ]] && ! grep -q '^Done ' "build-fuzz/$cel.log"; then
        tail -n 40 "build-fuzz/$cel.log"
        echo "$cel: znaleziony błąd" >&2
    fi
    tail -n 1 "build-fuzz/$cel.log"
done
((bledne == 0)) || exit 1
echo "All tests passed."
