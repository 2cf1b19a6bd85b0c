# Sourced by the scripts that need an X display: starts a private Xvfb on a free display
# number, waits until it answers, exports DISPLAY and stops it when the script exits.
# A DISPLAY already set is kept.
start_private_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n display=""
  for n in $(seq 91 160); do
    if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then display=":$n"; break; fi
  done
  [ -n "$display" ] || { echo "no free X display number" >&2; return 1; }
  Xvfb "$display" -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
  for _ in $(seq 1 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
  export DISPLAY="$display"
}
