#!/usr/bin/env bash
# The whole suite built for 32-bit Linux, where FreeFrame's words and records are exactly 32 bits
# wide. Kernels without 32-bit support run the test programs under qemu-i386.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
emulator=()
if ! (cd "$(mktemp -d)" && echo 'int main(void){return 0;}' > probe.c && gcc -m32 probe.c -o probe && ./probe) 2>/dev/null; then
  emulator=(-DCMAKE_CROSSCOMPILING_EMULATOR=qemu-i386)
fi
cmake -S . -B build-m32 -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS=-m32 \
  -DCMAKE_CXX_FLAGS=-m32 -DGLITCH_BUILD_BENCH=OFF -DGLITCH_BUILD_FFRUN=OFF "${emulator[@]}"
cmake --build build-m32 -j "$(nproc)"
ctest --test-dir build-m32 --output-on-failure -j "$(nproc)"
