#!/usr/bin/env bash
# A short card for the player tests: three Normal recordings of 3 seconds whose stamps are one
# minute apart, a card whose only recording is damaged, one where a good recording is followed
# by the damaged one, and one with a picture among recordings.
set -euo pipefail
out=$1
mkdir -p "$out/card" "$out/damaged"
ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }
i=0
for stamp in 20250301100000 20250301100100 20250301100200; do
  f="$out/card/$stamp.MP4"
  hue=$((i * 120))
  [ -s "$f" ] || ff -f lavfi -i "testsrc2=size=640x360:rate=30:duration=3,hue=h=$hue" \
      -f lavfi -i "sine=frequency=$((440 + i * 110)):sample_rate=48000:duration=3" \
      -c:v libx264 -preset ultrafast -g 15 -pix_fmt yuv420p -c:a aac -shortest "$f"
  i=$((i + 1))
done
# Its picture is fine (so it has a thumbnail), but its sound is of a kind no decoder knows:
# the kernel cannot build its graph and never gets ready.
f="$out/damaged/20250301110000.MP4"
if [ ! -s "$f" ]; then
  cp "$out/card/20250301100000.MP4" "$f"
  python3 - "$f" <<'PY'
import sys
path = sys.argv[1]
data = bytearray(open(path, 'rb').read())
pos = data.find(b'mp4a', data.find(b'stsd'))
while pos > 0 and data[pos - 4:pos] == b'\0\0\0\0':
    pos = data.find(b'mp4a', pos + 4)
assert pos > 0
data[pos:pos + 4] = b'qqa1'
open(path, 'wb').write(data)
PY
fi
# A good recording followed by the damaged one: continuous play runs into a recording it cannot play.
mkdir -p "$out/mixed"
[ -s "$out/mixed/20250301110000.MP4" ] || cp "$out/card/20250301100000.MP4" "$out/mixed/20250301110000.MP4"
[ -s "$out/mixed/20250301110100.MP4" ] || cp "$f" "$out/mixed/20250301110100.MP4"
# A card whose middle recording is a PNG picture under an MP4 name: no kernel can play it.
mkdir -p "$out/notvideo"
for stamp in 20250301120000 20250301120200; do
  [ -s "$out/notvideo/$stamp.MP4" ] || cp "$out/card/20250301100000.MP4" "$out/notvideo/$stamp.MP4"
done
f="$out/notvideo/20250301120100.MP4"
if [ ! -s "$f" ]; then
  ff -f lavfi -i "color=c=orange:size=320x240" -frames:v 1 "$out/notvideo/picture.png"
  mv "$out/notvideo/picture.png" "$f"
fi
# Another camera's moment of two channels: a 6 s front and a 4 s rear, each with a tone of its own,
# the rear named a second later (it starts a second after the front and ends a second before it).
# Both carry their frame number in a strip of sixteen black or white blocks across the middle (the
# number in blocks 0-12, the number modulo 7 in blocks 13-15), read back from the screen.
coded() {  # file WxH seconds source tone
  [ -s "$1" ] && return
  local w=${2%x*} h=${2#*x}
  local bits="255*gt(bitand(if(lt(X,13),N,mod(N,7)*8192),pow(2,X)),0)"
  ff -f lavfi -i "$4=size=$2:rate=30:duration=$3" \
     -f lavfi -i "sine=frequency=$5:sample_rate=48000:duration=$3" \
     -f lavfi -i "nullsrc=size=16x1:rate=30:duration=$3" \
     -filter_complex "[2]format=gray,geq=lum='$bits',scale=$w:$((h / 12)):flags=neighbor,format=yuv420p[code];[0][code]overlay=0:(main_h-overlay_h)/2:shortest=1[v]" \
     -map "[v]" -map 1:a -c:v libx264 -preset ultrafast -g 15 -pix_fmt yuv420p -c:a aac -shortest "$1"
}
mkdir -p "$out/moment"
coded "$out/moment/20250301_130000_NF.mp4" 640x360 6 testsrc2 440
coded "$out/moment/20250301_130001_NR.mp4" 320x180 4 smptebars 880
# Two moments of front and rear a minute apart, 3 s each with tones: continuous play goes from
# the first to the second with the second's rear prepared before the end.
mkdir -p "$out/moments"
for stamp in 20250301_140000 20250301_140100; do
  for ch in F R; do
    f="$out/moments/${stamp}_N$ch.mp4"
    size=640x360; [ "$ch" = R ] && size=320x180
    [ -s "$f" ] || ff -f lavfi -i "testsrc2=size=$size:rate=30:duration=3" \
        -f lavfi -i "sine=frequency=660:sample_rate=48000:duration=3" \
        -c:v libx264 -preset ultrafast -g 15 -pix_fmt yuv420p -c:a aac -shortest "$f"
  done
done
touch "$out/stamp"
