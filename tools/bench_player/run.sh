#!/usr/bin/env bash
# Runs the player benchmark on a display of its own. Needs Debian's mpv for the comparison
# (installed here when missing; it is not a dependency of the viewer).
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$top/build}
command -v mpv >/dev/null || { [ "$(id -u)" -eq 0 ] && s="" || s=sudo; $s apt-get install -y -qq mpv; }
cmake --build "$build" -j"$(nproc)" --target bench_player player_fixtures
. "$top/tools/xvfb.sh"
start_private_display
# WebEngine refuses to start its sandbox as root (as in tools/test.sh).
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
QT_QPA_PLATFORM=xcb "$build/tools/bench_player/bench_player" "$build/player_fixtures/card" 2>/dev/null
