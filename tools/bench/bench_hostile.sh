#!/usr/bin/env bash
# Telemetry load of hostile recordings, run on demand:
#   tools/bench/bench_hostile.sh [BUILD_DIR] [RUNS]
# Prints the median and maximum LoadTelemetry time per case and whether the worst stays within
# the 100 ms the viewer allows a recording to hold its window.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$top/build}
runs=${2:-11}
cmake -S "$top" -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target bench_hostile_load >/dev/null
"$build/tools/bench_telemetry/bench_hostile_load" "$runs"
