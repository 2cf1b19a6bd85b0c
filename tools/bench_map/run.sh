#!/usr/bin/env bash
# The maps' benchmark on the real Qt WebEngine against a loopback tile server:
#   tools/bench_map/run.sh [build]
# Prints load to route drawn, the main-thread cost of one marker move and the resident memory
# with the browser processes.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
cmake --build "$build" --target bench_map samples >/dev/null
. "$top/tools/xvfb.sh"
start_private_display
work=$(mktemp -d)
coproc server { python3 "$top/tests/map/tile_server.py" "$work/requests.log"; }
read -r _ port <&"${server[0]}"
cleanup() { kill "$server_PID" 2>/dev/null || true; rm -rf "$work"; }
trap 'cleanup; kill ${xvfb_pid:-} 2>/dev/null || true' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
export KORVANE_TERRAIN_TILES="http://127.0.0.1:$port/terrain/{z}/{x}/{y}.png"
export KORVANE_STREET_TILES="http://127.0.0.1:$port/street/{z}/{x}/{y}.png"
export KORVANE_CONNECTIVITY_URL="http://127.0.0.1:$port/connected/"
export KORVANE_UPDATE_URL=""
[ "$(id -u)" = 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
"$build/tools/bench_map/bench_map" "$build/samples/20250614080000.MP4" 2>/dev/null
echo "tile requests served: $(wc -l < "$work/requests.log")"
