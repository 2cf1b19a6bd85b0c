#!/usr/bin/env bash
# Builds and runs the chart and read-out benchmark (offscreen, no display needed).
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$top/build}
cmake --build "$build" -j"$(nproc)" --target bench_chart >/dev/null
"$build/tools/bench_chart/bench_chart"
