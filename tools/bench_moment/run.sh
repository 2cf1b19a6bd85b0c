#!/usr/bin/env bash
# Runs the channel benchmark on a display of its own: tools/bench_moment/run.sh [build-dir]
# [seconds, 180 by default]. The fixtures are made once in <build>/bench_moments. Then the
# switch of continuous play: how long each panel keeps one picture, one channel and two.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$top/build}
seconds=${2:-180}
cmake --build "$build" -j2 --target bench_moment
"$top/tools/bench_moment/make_moments.sh" "$build/bench_moments" "$seconds"
. "$top/tools/xvfb.sh"
start_private_display
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
for card in two three; do
  QT_QPA_PLATFORM=xcb "$build/tools/bench_moment/bench_moment" "$build/bench_moments/$card" "$seconds" 2>/dev/null
done
# The switch to the next moment, with the single channel's switch to compare with.
for card in seam_one seam_two; do
  QT_QPA_PLATFORM=xcb "$build/tools/bench_moment/bench_moment" --seam "$build/bench_moments/$card" 2>/dev/null
done
