#!/usr/bin/env bash
# The recordings library's benchmarks: the thumbnail pass for 240 sample recordings beside
# `xargs -P 2` running the same ffmpeg command, ScanRecordings on 5000 entries, and the opening
# of another camera's card of 2000 files.
#   tools/bench/run_library_bench.sh [BUILD_DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$top/build}
cmake --build "$build" --target bench_library make_samples >/dev/null
cards="$build/bench-card-240"
[ -d "$cards" ] || "$build/tools/make_samples/make_samples" --count 240 "$cards"
"$build/tools/bench/bench_library" thumbnails "$cards" 3
"$build/tools/bench/bench_library" scan 5000 20
"$build/tools/bench/bench_library" camera-scan 2000 20
