#!/bin/sh
# Times ffrun pushing a 1080p clip through one plug-in against ffmpeg alone decoding and
# re-encoding the same clip with the same encoder settings.
# Usage: tools/ffrun/benchmark.sh BUILD_DIR [PLUGIN] [RUNS]
set -eu
build=$1
plugin=${2:-Glimbrook}
runs=${3:-3}
ffrun=$build/tools/ffrun/ffrun
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The source clip: 120 frames of the test card at 1920x1080, encoded by ffmpeg.
"$ffrun" apply -q --size 1920x1080 --frames 120 --fps 30 -o "$work/card.mp4"

milliseconds() {
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}

for run in $(seq "$runs"); do
  plain=$(milliseconds ffmpeg -v error -y -i "$work/card.mp4" -pix_fmt yuv420p "$work/plain.mp4")
  rgb=$(milliseconds ffmpeg -v error -y -i "$work/card.mp4" -vf format=rgb24,format=yuv420p \
    -pix_fmt yuv420p "$work/rgb.mp4")
  copy=$(milliseconds "$ffrun" apply -q -i "$work/card.mp4" -o "$work/copy.mp4")
  host=$(milliseconds "$ffrun" apply -q -p "$plugin" -i "$work/card.mp4" -o "$work/host.mp4")
  echo "run $run: ffmpeg alone ${plain} ms, ffmpeg through rgb24 ${rgb} ms," \
    "ffrun without plug-in ${copy} ms, ffrun -p $plugin ${host} ms"
done
