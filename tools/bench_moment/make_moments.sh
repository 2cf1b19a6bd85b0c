#!/usr/bin/env bash
# Fixture moments for the channel benchmark: one of two channels and one of three, 1080p front
# and 720p rear and interior at 30 frames per second, each frame's number burned in (drawtext on
# testsrc), the rear named and started a second after the front. Length in seconds as $2.
set -euo pipefail
out=$1
seconds=${2:-180}
ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }
counter="drawtext=text='%{n}':fontsize=h/8:fontcolor=white:box=1:boxcolor=black:x=20:y=20"
make() {  # file size seconds
  [ -s "$1" ] || ff -f lavfi -i "testsrc=size=$2:rate=30:duration=$3,$counter" \
      -c:v libx264 -preset ultrafast -g 30 -pix_fmt yuv420p "$1"
}
mkdir -p "$out/two" "$out/three"
make "$out/two/20250301_140000_NF.mp4" 1920x1080 "$seconds"
make "$out/two/20250301_140001_NR.mp4" 1280x720 "$((seconds - 1))"
make "$out/three/20250301_150000_NF.mp4" 1920x1080 "$seconds"
make "$out/three/20250301_150001_NR.mp4" 1280x720 "$((seconds - 1))"
make "$out/three/20250301_150000_NI.mp4" 1280x720 "$seconds"
