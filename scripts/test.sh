#!/usr/bin/env bash
# Builds Znakomat and runs every test: format check, the whole suite on a virtual X
# screen, the engine tests of a build with the plain pass only, then the engine and job
# tests again under AddressSanitizer and UBSan.
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

echo "== Build and test"
cmake -S . -B build-ci -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build build-ci
na_ekranie ctest --test-dir build-ci --output-on-failure --timeout 600

echo "== Plain pass only, without SIMD (engine)"
cmake -S . -B build-bez-simd -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZNAKOMAT_WITH_GUI=OFF \
    -DZNAKOMAT_BEZ_SIMD=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build build-bez-simd --target test_engine test_rozpoznawanie test_cli
ctest --test-dir build-bez-simd --output-on-failure -L engine --timeout 600

echo "== Sanitizers (engine, jobs and the command line)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZNAKOMAT_SANITIZE=ON \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build build-asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp \
    na_ekranie ctest --test-dir build-asan --output-on-failure -L 'engine|jobs|cli' --timeout 900
echo "All tests passed."
