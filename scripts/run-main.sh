#!/usr/bin/env bash
# Installs what is missing, builds every plug-in and shows each one as a host sees it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$(nproc)"
build/tools/ffinfo build/freeframe/*.so
echo "The plug-ins are in $(pwd)/build/freeframe"
