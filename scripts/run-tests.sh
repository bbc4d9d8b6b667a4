#!/usr/bin/env bash
# Installs what is missing, builds the pack and runs every test: the Release build, the whole
# suite again with address and undefined-behaviour sanitizers, the thread tests under the thread
# sanitizer, a short run of every plug-in's fuzzer, the 32-bit suite and the Windows builds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DGLITCH_SANITIZE=ON \
  -DGLITCH_BUILD_BENCH=OFF
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-sanitize --output-on-failure -j "$jobs"

# Instances of one plug-in driven from several threads at once, under the thread sanitizer.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DGLITCH_THREAD_SANITIZE=ON \
  -DGLITCH_BUILD_BENCH=OFF
cmake --build build-tsan -j "$jobs" --target plugin_tests
ctest --test-dir build-tsan --output-on-failure -j "$jobs" -R '^Pack/Threads\.'

# Every plug-in's fuzzer, for a short run from the committed seeds (`make fuzz` runs a million).
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DGLITCH_FUZZ=ON -DGLITCH_BUILD_BENCH=OFF -DGLITCH_BUILD_TESTS=OFF -DGLITCH_BUILD_FFRUN=OFF
cmake --build build-fuzz -j "$jobs"
ctest --test-dir build-fuzz --output-on-failure -j "$jobs"

# The same suite on 32-bit Linux (without ffrun, whose libraries Debian ships 64-bit only).
scripts/run-tests-m32.sh

# The Windows DLLs: export tables, and the 64-bit suite under Wine.
scripts/run-tests-windows.sh
