#!/bin/bash
# Repair of hostile files (on demand): time and peak memory of korvane-cli repair on
#   - a damaged file whose media data is a key frame and then a chain of small SEI NAL units,
#   - a damaged file holding a key frame and then tiny timed-text samples,
#   - a damaged file holding a key frame and then tiny IDR pictures (millions of video samples),
#     each SIZE_MB of media data; the key frame makes the reference fit, so the whole file is walked,
#   - a reference whose stsc has 8 million entries,
# against the bound of 2 s per 100 MB of input and 200 MB of peak memory, with the CPU time
# beside the wall time (other load on the machine stretches the wall time).
#   tools/bench_repair/hostile.sh [BUILD_DIR] [WORK_DIR] [SIZE_MB]
# Needs python3 (tools/packages.txt) to write the files: tools/bench_repair/hostile_files.py.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
work=${2:-$build/bench_repair_hostile}
size_mb=${3:-100}
cmake --build "$build" --target korvane-cli korvane-cli-repair samples >/dev/null
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
cli="$build/tools/cli/korvane-cli"
ref="$build/samples/20250614080100.MP4"
damaged_src="$build/samples/20250614080000.MP4"

python3 "$root/tools/bench_repair/hostile_files.py" "$work" "$size_mb" "$ref"
cp "$damaged_src" "$work/whole.MP4"
"$build/tools/bench_repair/make_camera_recording" --cut "$work/whole.MP4" "$work/cut.MP4" 0.5 >/dev/null

run() {  # name input-bytes args...
  local name=$1 bytes=$2; shift 2
  /usr/bin/time -o "$work/time" -f "%e %U %S %M" "$cli" repair "$@" >/dev/null 2>"$work/err" || true
  read -r secs user sys kb < <(tail -1 "$work/time")
  awk -v n="$name" -v s="$secs" -v u="$user" -v y="$sys" -v k="$kb" -v b="$bytes" 'BEGIN {
    mb = b / 1048576; bound = 2 * mb / 100; if (bound < 0.2) bound = 0.2
    printf "%-12s %8.1f MB  %6.2f s wall, %6.2f s CPU (bound %.2f s)  peak %6.1f MB  %s\n", n, mb, s, u + y, bound,
      k / 1024, (s <= bound && k / 1024 < 200) ? "within" : "OVER" }'
  sed 's/^/    /' "$work/err" | head -2
}
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
run sei_chain "$(stat -c %s "$work/sei_chain.MP4")" --reference "$ref" -o "$work/out1.MP4" "$work/sei_chain.MP4"
run tiny_text "$(stat -c %s "$work/tiny_text.MP4")" --reference "$ref" -o "$work/out2.MP4" "$work/tiny_text.MP4"
rm -f "$work"/out*.MP4
run tiny_video "$(stat -c %s "$work/tiny_video.MP4")" --reference "$ref" -o "$work/out4.MP4" "$work/tiny_video.MP4"
rm -f "$work"/out*.MP4
run usual_ref "$(stat -c %s "$ref")" --reference "$ref" -o "$work/out0.MP4" "$work/cut.MP4"
run huge_stsc "$(stat -c %s "$work/huge_stsc.MP4")" --reference "$work/huge_stsc.MP4" -o "$work/out3.MP4" "$work/cut.MP4"
