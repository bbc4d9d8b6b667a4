#!/usr/bin/env bash
# Installs what is missing, builds every plug-in and the ffrun host, lists the plug-ins as a host
# sees them and renders the demo: a clip per plug-in and a contact sheet of all of them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$(nproc)"
build/tools/ffrun/ffrun list build/freeframe
build/tools/ffrun/ffrun demo -o demo
echo "The plug-ins are in $(pwd)/build/freeframe; the gallery is $(pwd)/demo/gallery.png"
