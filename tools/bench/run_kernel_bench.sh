#!/usr/bin/env bash
# Prints the playback kernel's figures: start-up to first frame beside gst-launch-1.0,
# launch-to-ready, the play request's round trip; then a demonstration screenshot.
# Usage: tools/bench/run_kernel_bench.sh [build-dir]   (default: build)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$top/build}
cmake --build "$build" --target bench_kernel samples >/dev/null
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 121 160); do
    if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then display=":$n"; break; fi
  done
  Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
  for _ in $(seq 1 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
  export DISPLAY=$display
fi
file=$(ls "$build"/samples/[0-9]*.MP4 | head -1)
bench="$build/tools/bench/bench_kernel"
quiet() { grep -v -e '^ALSA lib' -e '^AL lib' -e 'XDG_RUNTIME_DIR' || true; }
echo "recording: $file"
"$bench" preroll "$file" 12 2>&1 | quiet
"$bench" ready "$file" 20 2>&1 | quiet
"$bench" roundtrip "$file" 100 2>&1 | quiet
"$bench" demo "$file" "$build/kernel_demo.png" 3 2>&1 | quiet
