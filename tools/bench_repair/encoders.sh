#!/bin/bash
# Repair benchmark over encoder kinds (on demand): recordings made like a camera's (H.264 with
# adaptive B-frames, H.264 without B-frames, H.265 with B-frames; each with AAC and a timed-text
# track, moov last) by ffmpeg, cut by "power loss" at 41 %, 83 % and 95 % of the mdat and repaired
# after a recording of other content made with the same settings. Prints per cut the samples
# recovered against those wholly in the kept bytes, how many video packets carry the original's
# pts/dts, how many decoded frames in display order equal the original's (framemd5) and the
# lines `ffmpeg -v error` prints.
#   tools/bench_repair/encoders.sh [BUILD_DIR] [WORK_DIR] [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
work=${2:-$build/bench_repair_encoders}
seconds=${3:-20}
cmake --build "$build" --target make_camera_recording korvane-cli korvane-cli-repair >/dev/null
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
make="$build/tools/bench_repair/make_camera_recording"
cli="$build/tools/cli/korvane-cli"

for i in $(seq 0 $((seconds - 1))); do
  printf "%d\n%02d:%02d:%02d,000 --> %02d:%02d:%02d,000\nN 35.%04d E 139.%04d %d km/h\n\n" $((i + 1)) \
    $((i / 3600)) $((i / 60 % 60)) $((i % 60)) $(((i + 1) / 3600)) $(((i + 1) / 60 % 60)) $(((i + 1) % 60)) $i $i $((i % 90))
done > "$work/lines.srt"

encode() {  # kind source tone output
  local video
  case $1 in
    x264_adaptive_b) video=(-c:v libx264 -preset veryfast -g 25) ;;
    x264_no_b) video=(-c:v libx264 -preset veryfast -bf 0 -g 25) ;;
    x265_b) video=(-c:v libx265 -preset ultrafast -x265-params log-level=error:bframes=3 -tag:v hvc1 -g 25) ;;
  esac
  ffmpeg -nostdin -v error -y -f lavfi -i "$2=size=640x360:rate=25" -f lavfi -i "sine=frequency=$3:sample_rate=48000" \
    -i "$work/lines.srt" -t "$seconds" "${video[@]}" -pix_fmt yuv420p -c:a aac -ac 2 -c:s mov_text \
    -map 0:v -map 1:a -map 2:s "$4"
}

# Samples of streams 0 (video), 1 (audio), 2 (text) lying wholly in the first $2 bytes of $1.
kept() {
  ffprobe -v error -show_entries packet=stream_index,pos,size -of csv=p=0 "$1" |
    awk -F, -v k="$2" '$2 + $3 <= k { n[$1]++ } END { printf "%d %d %d\n", n[0], n[1], n[2] }'
}

printf "%-16s %-4s %-22s %-22s %-12s %-14s %s\n" kind cut "kept v/a/t" "recovered v/a/t" "pts/dts" "display order" ffmpeg_errors
for kind in x264_adaptive_b x264_no_b x265_b; do
  encode $kind testsrc2 440 "$work/$kind.MP4"
  encode $kind testsrc 660 "$work/${kind}_ref.MP4"
  ffprobe -v error -select_streams v -show_entries packet=pts,dts -of csv=p=0 "$work/$kind.MP4" > "$work/orig.pkt"
  ffmpeg -nostdin -v error -i "$work/$kind.MP4" -map 0:v -f framemd5 - | grep -v '^#' | awk -F, '{ gsub(/ /, ""); print $3 ":" $6 }' > "$work/orig.md5"
  for cut in 0.41 0.83 0.95; do
    keep=$("$make" --cut "$work/$kind.MP4" "$work/cut.MP4" $cut | cut -d= -f2)
    read -r kv ka kt < <(kept "$work/$kind.MP4" "$keep")
    rm -f "$work/out.MP4"
    line=$("$cli" repair --reference "$work/${kind}_ref.MP4" -o "$work/out.MP4" "$work/cut.MP4" 2>/dev/null | head -1) || line="failed"
    rv=$(echo "$line" | sed -n 's/.*video=\([0-9]*\).*/\1/p'); ra=$(echo "$line" | sed -n 's/.*audio=\([0-9]*\).*/\1/p')
    rt=$(echo "$line" | sed -n 's/.*text=\([0-9]*\).*/\1/p')
    pts=0; shown=0; frames=0; errors=-
    if [ -f "$work/out.MP4" ]; then
      ffprobe -v error -select_streams v -show_entries packet=pts,dts -of csv=p=0 "$work/out.MP4" > "$work/out.pkt"
      pts=$(paste -d' ' "$work/out.pkt" <(head -n "$(wc -l < "$work/out.pkt")" "$work/orig.pkt") | awk '$1 == $2 { n++ } END { print n + 0 }')
      ffmpeg -nostdin -v error -i "$work/out.MP4" -map 0:v -f framemd5 - | grep -v '^#' | awk -F, '{ gsub(/ /, ""); print $3 ":" $6 }' > "$work/out.md5"
      frames=$(wc -l < "$work/out.md5")
      shown=$(paste -d' ' "$work/out.md5" <(head -n "$frames" "$work/orig.md5") | awk '$1 == $2 { n++ } END { print n + 0 }')
      errors=$(ffmpeg -nostdin -v error -i "$work/out.MP4" -f null - 2>&1 | wc -l)
    fi
    printf "%-16s %-4s %-22s %-22s %-12s %-14s %s\n" $kind "${cut#0.}%" "$kv/$ka/$kt" "${rv:-0}/${ra:-0}/${rt:-0}" \
      "$pts/${rv:-0}" "$shown/$frames" "$errors"
  done
done
