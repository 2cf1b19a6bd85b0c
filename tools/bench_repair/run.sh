#!/bin/bash
# Repair benchmark (on demand): a recording of about 1 GB laid out as the camera writes it (the
# sample recording with the text track, repeated), cut by "power loss" at 80 %, repaired with
# korvane-cli repair, timed beside cp of the same damaged file; then the recovery at several cut
# points (inside a video sample and inside a text sample too) of the 20-s sample, each repaired
# file decoded by ffmpeg.
#   tools/bench_repair/run.sh [BUILD_DIR] [WORK_DIR] [REPEAT]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
work=${2:-$build/bench_repair}
repeat=${3:-170}
cmake --build "$build" --target make_camera_recording korvane-cli korvane-cli-repair samples >/dev/null
mkdir -p "$work"
trap 'rm -f "$work"/*.time "$work"/repair.out "$work"/big.MP4* "$work"/copy.MP4 "$work"/repaired.MP4 "$work"/small.MP4* "$work"/small_rep.MP4' EXIT
make="$build/tools/bench_repair/make_camera_recording"
cli="$build/tools/cli/korvane-cli"
src="$build/samples/20250614080000.MP4"
ref="$build/samples/20250614080100.MP4"

echo "== throughput: $repeat x $(basename "$src") in the camera's layout, cut at 80 %"
"$make" "$src" "$work/big.MP4" "$repeat" 0.8 | tee "$work/big.txt"
damaged="$work/big.MP4.cut1"
size=$(stat -c %s "$damaged")
cat "$damaged" >/dev/null  # the same warm page cache for both
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores (wall times suffer from other load; CPU times less)"
for round in 1 2 3; do
  rm -f "$work/copy.MP4" "$work/repaired.MP4"
  sync
  /usr/bin/time -o "$work/cp.time" -f "%e %U %S" cp "$damaged" "$work/copy.MP4"
  /usr/bin/time -o "$work/repair.time" -f "%e %U %S" "$cli" repair --reference "$ref" -o "$work/repaired.MP4" "$damaged" > "$work/repair.out"
  read -r cw cu cs < "$work/cp.time"
  read -r rw ru rs < "$work/repair.time"
  awk -v s="$size" -v cw="$cw" -v cu="$cu" -v cs="$cs" -v rw="$rw" -v ru="$ru" -v rs="$rs" -v r="$round" 'BEGIN {
    cc = cu + cs; rc = ru + rs
    printf "round %d: %.0f MB damaged; cp %.2f s wall (%.0f MB/s), %.2f s CPU; repair %.2f s wall (%.0f MB/s), %.2f s CPU (%.0f MB/s per CPU second)\n",
      r, s / 1e6, cw, s / 1e6 / cw, cc, rw, s / 1e6 / rw, rc, s / 1e6 / rc }'
done
head -1 "$work/repair.out"
grep '^cut=' "$work/big.txt" | awk '{print "kept samples: " $2, $3, $4}'

echo "== recovery at several cut points of the 20-s sample (kept = samples wholly in the kept bytes)"
"$make" "$src" "$work/small.MP4" 1 0.05 0.25 0.5 0.75 0.95 0.9999 v0.33 v0.66 t0.2 t0.7 > "$work/small.txt"
printf "%-10s %-28s %-28s %-8s %s\n" cut kept recovered ratio ffmpeg
while read -r cutline; do
  cut=$(echo "$cutline" | awk '{print $1}' | cut -d= -f2)
  file=$(echo "$cutline" | awk '{print $5}')
  kept=$(echo "$cutline" | awk '{print $2, $3, $4}')
  got=$("$cli" repair --reference "$ref" -o "$work/small_rep.MP4" "$file" | head -1)
  errors=$(ffmpeg -nostdin -v error -i "$work/small_rep.MP4" -f null - 2>&1 | wc -l)
  ratio=$(echo "$kept $got" | sed 's/[a-z]*=//g' | awk '{printf "v%.1f%% a%.1f%% t%.1f%%", 100*$4/$1, 100*$5/$2, ($3 ? 100*$6/$3 : 100)}')
  printf "%-10s %-28s %-28s %s ffmpeg_errors=%s\n" "$cut" "$kept" "$(echo "$got" | cut -d' ' -f1-3)" "$ratio" "$errors"
done < <(grep '^cut=' "$work/small.txt")
