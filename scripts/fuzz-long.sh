#!/bin/sh
# Runs every plug-in's fuzzer for a fixed number of inputs (default a million) and prints, per
# plug-in, how many inputs it ran and whether it stopped on a finding.
#   scripts/fuzz-long.sh [runs] [plug-in ...]
set -eu
cd "$(dirname "$0")/.."
runs=${1:-1000000}
[ $# -gt 0 ] && shift
scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DGLITCH_FUZZ=ON -DGLITCH_BUILD_BENCH=OFF -DGLITCH_BUILD_TESTS=OFF -DGLITCH_BUILD_FFRUN=OFF >/dev/null
cmake --build build-fuzz
plugins=${*:-$(ls plugins)}
mkdir -p build-fuzz/fuzz-logs
status=0
for name in $plugins; do
  corpus=build-fuzz/fuzz-corpus/$name
  log=build-fuzz/fuzz-logs/$name.log
  mkdir -p "$corpus"
  if build-fuzz/plugins/$name/fuzz_$name -runs="$runs" -timeout=20 -print_final_stats=1 \
       -artifact_prefix=build-fuzz/fuzz-logs/$name- "$corpus" fuzz/corpus >"$log" 2>&1; then
    verdict="no finding"
  else
    verdict="FINDING, see $log"
    status=1
  fi
  done_line=$(grep '^Done ' "$log" || echo "Done ? runs")
  echo "$name: $done_line, $verdict"
done
exit $status
