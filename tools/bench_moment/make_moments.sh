#!/usr/bin/env bash
# Fixture moments for the channel benchmark: one of two channels and one of three, 1080p front
# and 720p rear and interior at 30 frames per second. Each picture carries its frame number
# twice: as text, and as a strip of sixteen black or white blocks across the middle (the number in
# blocks 0-12, the number modulo 7 in blocks 13-15) that the benchmark reads from screen
# captures. The rear is named and started a second after the front. Length in seconds as $2.
set -euo pipefail
out=$1
seconds=${2:-180}
ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }
make() {  # file WxH seconds
  [ -s "$1" ] && return
  local w=${2%x*} h=${2#*x}
  local bits="255*gt(bitand(if(lt(X,13),N,mod(N,7)*8192),pow(2,X)),0)"
  ff -f lavfi -i "testsrc2=size=$2:rate=30:duration=$3" \
     -f lavfi -i "nullsrc=size=16x1:rate=30:duration=$3" \
     -filter_complex "[1]format=gray,geq=lum='$bits',scale=$w:$((h / 12)):flags=neighbor,format=yuv420p[code];[0][code]overlay=0:(main_h-overlay_h)/2:shortest=1,drawtext=text='%{n}':fontsize=h/8:fontcolor=white:box=1:boxcolor=black:x=20:y=h/10" \
     -c:v libx264 -preset ultrafast -g 30 -pix_fmt yuv420p "$1.part.mp4"
  mv "$1.part.mp4" "$1"
}
mkdir -p "$out/two" "$out/three"
make "$out/two/20250301_140000_NF.mp4" 1920x1080 "$seconds"
make "$out/two/20250301_140001_NR.mp4" 1280x720 "$((seconds - 1))"
make "$out/three/20250301_150000_NF.mp4" 1920x1080 "$seconds"
make "$out/three/20250301_150001_NR.mp4" 1280x720 "$((seconds - 1))"
make "$out/three/20250301_150000_NI.mp4" 1280x720 "$seconds"
# Continuous play's switch: two moments a minute apart of front and rear, and the same of the
# front alone (the single channel's switch to compare with), 8 s each.
mkdir -p "$out/seam_two" "$out/seam_one"
for stamp in 20250301_160000 20250301_160100; do
  make "$out/seam_two/${stamp}_NF.mp4" 1920x1080 8
  make "$out/seam_two/${stamp}_NR.mp4" 1280x720 8
done
for stamp in 20250301_170000 20250301_170100; do
  make "$out/seam_one/${stamp}_NF.mp4" 1920x1080 8
done
