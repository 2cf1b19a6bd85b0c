#!/usr/bin/env bash
# Installs what is missing, builds everything, makes the sample recordings and runs every test.
# Tests that embed video get a private Xvfb display; widget tests without video use offscreen.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
tools/deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
cmake --build build --target samples

# A display of our own for the tests that draw video into real windows.
display=""
for n in $(seq 91 120); do
  if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then display=":$n"; break; fi
done
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
for _ in $(seq 1 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY="$display"
export QTWEBENGINE_DISABLE_SANDBOX=1

status=0
(cd build && ctest --output-on-failure -j"$jobs" --timeout 300) || status=1

# The box walk and the decoders again, under libFuzzer with address and undefined sanitizers.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DKORVANE_FUZZ=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-fuzz -j"$jobs"
(cd build-fuzz && ctest --output-on-failure -j"$jobs" --timeout 300) || status=1
exit $status
