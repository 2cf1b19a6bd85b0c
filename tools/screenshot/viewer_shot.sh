#!/usr/bin/env bash
# Screenshot of the viewer playing the first recording of the sample card, with its chart and
# the map drawn from a tile server on loopback. Used for the README's picture and for looking
# at the window at other scales and in other languages.
#   tools/screenshot/viewer_shot.sh OUT.png [QT_SCALE_FACTOR (1)] [LANG (en_US.UTF-8)] [--small]
# --small stores the picture with a palette so that it stays small (the README's copy).
# Needs the build (korvane, the samples): cmake --build build --target korvane samples
# KORVANE_SHOT_CARD=FOLDER opens that folder instead of the samples (e.g. a card made by
# make_samples --other-cards); KORVANE_SHOT_CLICK="X Y" clicks that point of the window (in
# device pixels) before the picture is taken, e.g. "805 655" for the Event grid at 100 %.
# KORVANE_SHOT_KEYS="KEY:SECONDS ..." then presses each key (xdotool's names) and waits, e.g.
# "i:4 o:1 space:1" for export marks 4 s apart, then a pause; "ctrl+e:2" opens Export….
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
out=$(realpath -m "$1")
factor=${2:-1}
lang=${3:-en_US.UTF-8}
small=${4:-}
korvane="$top/build/app/korvane"
samples="${KORVANE_SHOT_CARD:-$top/build/samples}"
[ -x "$korvane" ] || { echo "build korvane first" >&2; exit 2; }
[ -n "${KORVANE_SHOT_CARD:-}" ] || [ -n "$(find "$samples" -maxdepth 1 -name '*.MP4' -print -quit 2>/dev/null)" ] ||
  { echo "make the samples first (cmake --build build --target samples)" >&2; exit 2; }

. "$top/tools/xvfb.sh"
unset DISPLAY
start_private_display

work=$(mktemp -d)
server_pid=""
viewer_pid=""
cleanup() {
  [ -n "${KORVANE_SHOT_VERBOSE:-}" ] && tail -n 30 "$work/viewer.log" >&2
  [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null && wait "$viewer_pid" 2>/dev/null || true
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  rm -f "/dev/shm/$KORVANE_CONTROL_BLOCK" "/dev/shm/$KORVANE_CONTROL_BLOCK".* 2>/dev/null || true
  rm -rf "$work"
  kill "${xvfb_pid:-}" 2>/dev/null || true
}
trap cleanup EXIT

# The tile server answers until its standard input closes.
mkfifo "$work/server_in"
python3 "$top/tests/map/tile_server.py" "$work/requests.log" <"$work/server_in" >"$work/server_out" &
server_pid=$!
exec 3>"$work/server_in"
for _ in $(seq 1 50); do grep -q '^PORT' "$work/server_out" 2>/dev/null && break; sleep 0.1; done
port=$(awk '/^PORT/{print $2}' "$work/server_out")
[ -n "$port" ] || { echo "tile server did not start" >&2; exit 1; }
base="http://127.0.0.1:$port"

mkdir -m 700 "$work/runtime" "$work/home" "$work/start"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" XDG_CACHE_HOME="$work/home/.cache"
export XDG_CONFIG_HOME="$work/home/.config"
export KORVANE_CONTROL_BLOCK="KorvaneShot$$"
export KORVANE_TERRAIN_TILES="$base/terrain/{z}/{x}/{y}.png" KORVANE_STREET_TILES="$base/street/{z}/{x}/{y}.png"
export KORVANE_CONNECTIVITY_URL="$base/connected/" KORVANE_UPDATE_URL="$base/none/"
export QTWEBENGINE_DISABLE_SANDBOX=1 QT_SCALE_FACTOR="$factor" LANG="$lang" LC_ALL="$lang" LANGUAGE=""

cd "$work/start"
"$korvane" "$samples" >"$work/viewer.log" 2>&1 &
viewer_pid=$!
# Thumbnails first: the grid takes double clicks once the pass has drawn the first cell.
sleep 15
# The main window is the visible one of the design's size or larger; windows that come and go
# while the viewer starts (a kernel's, the browser's) are passed over.
found=""
for _ in $(seq 1 20); do
  for wid in $(xdotool search --onlyvisible --name '^Korvane$' 2>/dev/null); do
    if geometry=$(xdotool getwindowgeometry --shell "$wid" 2>/dev/null); then
      eval "$geometry"
      if [ "$WIDTH" -ge 1000 ]; then found=$wid; break 2; fi
    fi
  done
  sleep 0.5
done
[ -n "$found" ] || { echo "no viewer window" >&2; exit 1; }
wid=$found
# The first cell of the grid, from the window layout in device pixels: the grid's left edge
# lies 15 + 3 x 110 + 10 + 8 pixels from the right at 100 %, its top above the information bar.
scale=$factor
read -r cx cy < <(python3 - "$WIDTH" "$HEIGHT" "$scale" <<'PY'
import sys
w, h, s = int(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3])
t = lambda v: int(v)
file_w = 3 * t(110 * s) + 10
file_h = 2 * t(100 * s) + 5
info_h = t(48 * s)
status_h = t(22 * s)
file_l = w - 15 - file_w - t(8 * s)
file_t = h - status_h - 1 - info_h - file_h - t(5 * s)
print(file_l + t(55 * s), file_t + t(40 * s))
PY
)
xdotool mousemove --window "$wid" "$cx" "$cy" click --repeat 2 --delay 80 1
# Let it play for a while: the chart, the read-outs and the route map follow the position.
sleep 9
if [ -n "${KORVANE_SHOT_CLICK:-}" ]; then
  read -r kx ky <<<"$KORVANE_SHOT_CLICK"
  xdotool mousemove --window "$wid" "$kx" "$ky" click 1
  sleep 1
fi
for step in ${KORVANE_SHOT_KEYS:-}; do
  xdotool key --window "$wid" "${step%%:*}"
  sleep "${step##*:}"
done
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/shot.png"
if [ "$small" = "--small" ]; then
  convert "$work/shot.png" -dither None -colors 128 "PNG8:$out"
else
  cp "$work/shot.png" "$out"
fi
echo "$out: $(stat -c %s "$out") bytes, ${WIDTH}x${HEIGHT}"
