#!/usr/bin/env bash
# Telemetry extraction benchmark, run on demand:
#   tools/bench/bench_telemetry.sh [BUILD_DIR] [RUNS]
# On a 60-second 1920x1080 sample recording with a timed-text telemetry track it prints the
# median time of LoadTelemetry in process (warm cache), and of whole processes:
# korvane-cli telemetry, ffmpeg's subtitle dump (-map 0:s:0 -f srt -) and exiftool -ee.
# exiftool comes from the Debian package libimage-exiftool-perl, needed only here.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$top/build}
runs=${2:-21}
cd "$top"
cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target korvane-cli bench_load_telemetry make_samples >/dev/null
folder="$build/samples-long"
"$build/tools/make_samples/make_samples" --long "$folder"

# The first recording whose telemetry is the timed-text track.
name=$(awk -F, '!/^#/ && $11 == "subtitle" { print $1; exit }' "$folder/expected/manifest.csv")
sample="$folder/$name"
# The generator's recordings are small for their size; a camera writes about 100 MB a minute.
# Re-encode the same picture at 13 Mbit/s and give it the same text track.
rec="$build/bench-telemetry-100MB.MP4"
if [ ! -s "$rec" ] || [ "$rec" -ot "$sample" ]; then
  ffmpeg -nostdin -v error -y -i "$sample" -map 0:v -map 0:a -c:v libx264 -preset ultrafast \
    -b:v 13M -minrate 13M -maxrate 13M -bufsize 13M -x264-params nal-hrd=cbr -g 30 -c:a copy "$rec.tmp.mp4"
  "$build/tools/bench_telemetry/bench_load_telemetry" --copy-text "$sample" "$rec.tmp.mp4"
  mv "$rec.tmp.mp4" "$rec"
fi


# Median wall time of a command over $runs runs, in milliseconds (timed from Python, so no
# extra process start is counted).
median_ms() {
  python3 - "$runs" "$@" <<'PY'
import statistics, subprocess, sys, time
runs, cmd = int(sys.argv[1]), sys.argv[2:]
times = []
for _ in range(runs):
    t0 = time.perf_counter()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    times.append(time.perf_counter() - t0)
print(f"{statistics.median(times) * 1000:.2f}")
PY
}

bench_processes() {
  local r=$1 cli ff ex
  cli=$(median_ms "$build/tools/cli/korvane-cli" telemetry "$r")
  ff=$(median_ms ffmpeg -v error -i "$r" -map 0:s:0 -f srt -)
  echo "process start (true)    median $(median_ms true) ms"
  echo "korvane-cli telemetry   median $cli ms ($runs runs)"
  echo "ffmpeg srt dump         median $ff ms   ($(awk -v a="$ff" -v b="$cli" 'BEGIN { printf "%.1f", a / b }')x the CLI)"
  if command -v exiftool >/dev/null; then
    ex=$(median_ms exiftool -ee "$r")
    echo "exiftool -ee            median $ex ms   ($(awk -v a="$ex" -v b="$cli" 'BEGIN { printf "%.1f", a / b }')x the CLI)"
  else
    echo "exiftool not installed (Debian libimage-exiftool-perl); skipped"
  fi
}

for r in "$sample" "$rec"; do
  echo
  echo "recording: $r ($(( $(stat -c %s "$r") / 1000000 )) MB)"
  cat "$r" >/dev/null  # warm the cache
  "$build/tools/bench_telemetry/bench_load_telemetry" "$r" 500
  bench_processes "$r"
done
