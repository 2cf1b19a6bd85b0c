#!/usr/bin/env bash
# The overlay clip against ffmpeg burning a text band in with drawtext and libx264 veryfast, over
# the same range of the same recording, both run one after the other RUNS times; prints each
# time and the ratio of the medians (target: at most 1.3).
#   tools/bench_overlay/run.sh [BUILD_DIR (build)] [RECORDING] [IN_S (5)] [OUT_S (15)] [RUNS (3)]
# Without RECORDING, the first recording of the sample card (cmake --build build --target samples).
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "${1:-$top/build}")
recording=${2:-$build/samples/20250614080000.MP4}
in_s=${3:-5}
out_s=${4:-15}
runs=${5:-3}
bench="$build/tools/bench_overlay/bench_overlay"
[ -x "$bench" ] || { echo "build bench_overlay first" >&2; exit 2; }
[ -f "$recording" ] || { echo "no recording $recording" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

in_us=$(python3 -c "print(int($in_s*1e6))")
out_us=$(python3 -c "print(int($out_s*1e6))")
# The same band: the clock and three values in a grey strip at the bottom, from ffmpeg's filters.
band="drawbox=x=0:y=ih-ih/14:w=iw:h=ih/14:color=0xA0A0A4@0.8:t=fill,"
band+="drawtext=text='%{pts\\:hms}   57 km/h   35.658580, 139.745440   G 0.25':fontcolor=white:fontsize=h/24:x=20:y=h-h/20"
ours=() theirs=()
for _ in $(seq "$runs"); do
  t=$("$bench" "$in_us" "$out_us" "$work/overlay.MP4" "$recording" | awk '/^overlay_seconds/{print $2}')
  ours+=("$t")
  rm -f "$work/overlay.MP4"
  start=$(date +%s.%N)
  ffmpeg -nostdin -v error -y -ss "$in_s" -to "$out_s" -i "$recording" -vf "$band" -c:v libx264 -preset veryfast \
    -crf 20 -c:a copy "$work/drawtext.MP4"
  end=$(date +%s.%N)
  theirs+=("$(python3 -c "print(f'{$end-$start:.3f}')")")
  rm -f "$work/drawtext.MP4"
done
python3 - "${ours[*]}" "${theirs[*]}" <<'PY'
import statistics, sys
ours = [float(v) for v in sys.argv[1].split()]
theirs = [float(v) for v in sys.argv[2].split()]
print("overlay export (s):  ", " ".join(f"{v:.3f}" for v in ours))
print("ffmpeg drawtext (s): ", " ".join(f"{v:.3f}" for v in theirs))
print(f"ratio of medians: {statistics.median(ours) / statistics.median(theirs):.2f} (target <= 1.3)")
PY
