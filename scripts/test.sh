#!/usr/bin/env bash
# Builds Znakomat and runs every test: format check, the whole suite on a virtual X
# screen, the engine tests of a build with the plain pass only, the engine, file and job
# tests again under AddressSanitizer and UBSan, and a minute of fuzzing for each target.
# On Debian 12 as root it first installs what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/pakiety.sh

# lintian and rsvg-convert judge the package; xdotool and xclip play another program on
# the virtual screen (closing the window's connection, owning the clipboard).
zainstaluj_pakiety "${PAKIETY_BUDOWANIA[@]}" libgtest-dev python3 manpages-pl xvfb xauth clang-format libbenchmark-dev \
    desktop-file-utils appstream dpkg-dev file lintian librsvg2-bin xdotool xclip clang libclang-rt-14-dev

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

echo "== Sanitizers (engine, files, jobs and the command line)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZNAKOMAT_SANITIZE=ON \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build build-asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp \
    na_ekranie ctest --test-dir build-asan --output-on-failure -L 'engine|pliki|jobs|cli' --timeout 900

echo "== Fuzzing (a minute per target)"
# Pieces cut where the fuzzer says, against the whole text; a difference aborts, and the
# input that found it is kept in build-fuzz/znalezione/.
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZNAKOMAT_FUZZ=ON \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build build-fuzz
mkdir -p build-fuzz/znalezione
for cel in fuzz_bloki fuzz_rozpoznawanie; do
    mkdir -p "build-fuzz/korpus/$cel"
    if ! "build-fuzz/fuzz/$cel" -max_total_time=60 -artifact_prefix=build-fuzz/znalezione/ \
        "build-fuzz/korpus/$cel" >"build-fuzz/$cel.log" 2>&1; then
        tail -n 40 "build-fuzz/$cel.log"
        echo "$cel: znaleziony błąd" >&2
        exit 1
    fi
    tail -n 1 "build-fuzz/$cel.log"
done
echo "All tests passed."
