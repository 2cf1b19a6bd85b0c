# Sourced by the scripts that need an X display: starts a private Xvfb on a free display
# number, waits until it answers, exports DISPLAY and stops it when the script exits.
# A DISPLAY already set is kept. Two scripts starting at once may pick the same number: the
# one whose Xvfb loses the race sees it exit and tries the next number.
start_private_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n
  for n in $(seq 91 160); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    # -noreset: a server that resets itself whenever its last client leaves refuses the clients
    # that connect meanwhile, and tests running side by side connect and leave all the time.
    Xvfb ":$n" -screen 0 1920x1200x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    # A loaded machine may take seconds to bring the server up: wait up to 30 s while it lives.
    for _ in $(seq 1 300); do
      kill -0 "$xvfb_pid" 2>/dev/null || break
      # The server answering must be ours: the lock file names the process that holds the number.
      if [ "$(tr -d ' \n' 2>/dev/null < /tmp/.X$n-lock)" = "$xvfb_pid" ] &&
         xdpyinfo -display ":$n" >/dev/null 2>&1; then
        trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
        export DISPLAY=":$n"
        return 0
      fi
      sleep 0.1
    done
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  done
  echo "no X display could be started" >&2
  return 1
}
