#!/usr/bin/env bash
# Export benchmark: lossless export of three consecutive recordings (`korvane-cli export`, the
# whole command: clip, telemetry, manifest and checksums) beside `ffmpeg -f concat -c copy` of the
# same files, timed side by side in the same run, alternating, best of N rounds each. Prints both
# times and their ratio (target: at most 1.2).
#   tools/bench_export/run.sh [BUILD_DIR] [ROUNDS] [SAMPLE_FOLDER]
# SAMPLE_FOLDER defaults to the build's samples (20-second 720p recordings); a folder made by
# `make_samples --long` gives 60-second 1080p ones.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-$top/build}")
rounds=${2:-5}
samples=$(realpath -m "${3:-$build/samples}")
cmake --build "$build" --target korvane-cli samples >/dev/null
cli="$build/tools/cli/korvane-cli"
files=("$samples/20250614080000.MP4" "$samples/20250614080100.MP4" "$samples/20250614080200.MP4")
work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-bench-export-XXXXXX")
trap 'rm -rf "$work"' EXIT
for f in "${files[@]}"; do echo "file '$f'"; done > "$work/list.txt"
bytes=$(stat -c %s "${files[@]}" | awk '{ s += $1 } END { print s }')
echo "three recordings, $bytes bytes, into $(df --output=fstype "$work" | tail -1)"
cat "${files[@]}" > /dev/null  # both read from the page cache

now() { date +%s%N; }
best_export=; best_concat=
for round in $(seq 1 "$rounds"); do
  rm -rf "$work/out" "$work/concat.MP4"; mkdir -p "$work/out"
  t0=$(now); ffmpeg -v error -nostdin -f concat -safe 0 -i "$work/list.txt" -map 0 -c copy "$work/concat.MP4"; t1=$(now)
  "$cli" export -o "$work/out" "${files[@]}" > /dev/null; t2=$(now)
  c=$(( (t1 - t0) / 1000 )); e=$(( (t2 - t1) / 1000 ))
  echo "round $round: ffmpeg concat copy $(awk -v u=$c 'BEGIN{printf "%.3f", u/1e6}') s, korvane-cli export $(awk -v u=$e 'BEGIN{printf "%.3f", u/1e6}') s"
  [ -z "$best_concat" ] || [ "$c" -lt "$best_concat" ] && best_concat=$c
  [ -z "$best_export" ] || [ "$e" -lt "$best_export" ] && best_export=$e
done
awk -v c="$best_concat" -v e="$best_export" 'BEGIN {
  printf "best: ffmpeg concat copy %.3f s, korvane-cli export %.3f s, ratio %.2f (target <= 1.2)\n", c/1e6, e/1e6, e/c }'
