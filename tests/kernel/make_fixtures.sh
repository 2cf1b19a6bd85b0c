#!/usr/bin/env bash
# Short recordings for the kernel tests, the cases the sample card does not hold:
# no audio, H.265, an undecodable video or audio stream, a damaged file, a picture.
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"
ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }
src_v=(-f lavfi -i "testsrc2=size=640x360:rate=30:duration=4")
src_a=(-f lavfi -i "sine=frequency=440:sample_rate=48000:duration=4")
[ -s h264_aac.mp4 ] || ff "${src_v[@]}" "${src_a[@]}" -c:v libx264 -preset veryfast -g 30 -pix_fmt yuv420p -c:a aac -shortest h264_aac.mp4
[ -s noaudio.mp4 ] || ff "${src_v[@]}" -c:v libx264 -preset veryfast -g 30 -pix_fmt yuv420p noaudio.mp4
[ -s h265.mp4 ] || ff "${src_v[@]}" "${src_a[@]}" -c:v libx265 -preset ultrafast -x265-params log-level=none -g 30 -pix_fmt yuv420p -tag:v hvc1 -c:a aac -shortest h265.mp4
# A stream type no decoder knows: the sample entry's four-character code is overwritten.
patch_entry() {  # file code newcode
  python3 - "$1" "$2" "$3" <<'PY'
import sys
path, old, new = sys.argv[1], sys.argv[2].encode(), sys.argv[3].encode()
data = bytearray(open(path, 'rb').read())
stsd = data.find(b'stsd')
pos = data.find(old, stsd)
while stsd >= 0 and pos < 0:
    stsd = data.find(b'stsd', stsd + 4)
    pos = data.find(old, stsd) if stsd >= 0 else -1
assert pos > 0, 'sample entry not found'
data[pos:pos + 4] = new
open(path, 'wb').write(data)
PY
}
if [ ! -s undecodable_video.mp4 ]; then cp h264_aac.mp4 undecodable_video.mp4; patch_entry undecodable_video.mp4 avc1 qqv1; fi
if [ ! -s undecodable_audio.mp4 ]; then cp h264_aac.mp4 undecodable_audio.mp4; patch_entry undecodable_audio.mp4 mp4a qqa1; fi
# The first 64 KiB of a recording whose index sits at its end: no index, no streams.
[ -s damaged.mp4 ] || head -c 65536 h264_aac.mp4 > damaged.mp4
# Random bytes under an MP4 name.
[ -s garbage.mp4 ] || head -c 200000 /dev/urandom > garbage.mp4
# A PNG picture under an MP4 name.
[ -s picture.mp4 ] || { ff -f lavfi -i "color=c=orange:size=320x240" -frames:v 1 picture.png && mv picture.png picture.mp4; }
touch stamp
