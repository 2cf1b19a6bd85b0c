#!/usr/bin/env bash
# Prints the playback kernel's figures: start-up to first frame beside gst-launch-1.0,
# launch-to-ready, the play request's round trip; then a demonstration screenshot.
# Usage: tools/bench/run_kernel_bench.sh [build-dir]   (default: build)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$top/build}
cmake --build "$build" --target bench_kernel samples >/dev/null
. "$top/tools/xvfb.sh"
start_private_display
file=$(ls "$build"/samples/[0-9]*.MP4 | head -1)
bench="$build/tools/bench/bench_kernel"
quiet() { grep -v -e '^ALSA lib' -e '^AL lib' -e 'XDG_RUNTIME_DIR' || true; }
echo "recording: $file"
"$bench" preroll "$file" 12 2>&1 | quiet
"$bench" ready "$file" 20 2>&1 | quiet
"$bench" roundtrip "$file" 100 2>&1 | quiet
"$bench" demo "$file" "$build/kernel_demo.png" 3 2>&1 | quiet
