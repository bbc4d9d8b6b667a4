#!/usr/bin/env bash
# The pack cross-built for 64-bit and 32-bit Windows with mingw-w64, DLLs in
# build-windows-<arch>/freeframe/. Then, unless --build-only is given: every DLL's export table
# is checked, and the 64-bit suite runs under Wine, comparing each plug-in with the Linux build
# (which the script builds in build/ to write its surveys). Debian's Wine runs 64-bit programs
# only, so the 32-bit DLLs are checked by their export tables alone.
set -euo pipefail
cd "$(dirname "$0")/.."
build_only=false
[ "${1:-}" = "--build-only" ] && build_only=true
scripts/install-deps.sh windows-packages.txt
jobs=$(nproc)
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)

for arch in x86_64 i686; do
  cmake -S . -B "build-windows-$arch" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-w64-$arch.cmake" -DCMAKE_CROSSCOMPILING_EMULATOR="$wine"
  cmake --build "build-windows-$arch" -j "$jobs"
done
$build_only && exit 0

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$jobs" --target plugin_tests
ctest --test-dir build --output-on-failure -j "$jobs" -R '^Pack/Survey\.'

# Wine keeps its own Windows installation, made on first use, in the build folder.
export WINEDEBUG=-all WINEPREFIX="$PWD/build-windows-x86_64/wine-prefix"
export GLITCH_SURVEY_REFERENCE="$PWD/build/survey"
ctest --test-dir build-windows-x86_64 --output-on-failure -j "$jobs"
ctest --test-dir build-windows-i686 --output-on-failure -j "$jobs" -R '^exports\.'
