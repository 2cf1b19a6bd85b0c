#!/usr/bin/env bash
# The private display the tests share must take every connection, also while the last client of
# another test is leaving: three loops connect and disconnect at the same time, 200 times each.
# (An X server that resets itself when its last client goes refuses connections meanwhile.)
set -uo pipefail
top=$1
unset DISPLAY
. "$top/tools/xvfb.sh"
start_private_display || exit 1
work=$(mktemp -d)
trap 'rm -rf "$work"; kill $xvfb_pid 2>/dev/null || true' EXIT
loops=()
for loop in 1 2 3; do
  (
    failed=0
    for _ in $(seq 200); do
      xprop -root -len 1 _XKB_RULES_NAMES >/dev/null 2>&1 || failed=$((failed + 1))
    done
    echo "$failed" > "$work/$loop"
  ) &
  loops+=($!)
done
wait "${loops[@]}"   # not the display's server, a child of this shell too
total=$(cat "$work"/1 "$work"/2 "$work"/3 | paste -sd+ | bc)
echo "connections refused: $total of 600"
[ "$total" -eq 0 ]
