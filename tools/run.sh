#!/usr/bin/env bash
# Installs what is missing, builds, makes the sample recordings and starts the viewer on them.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target korvane korvane-cli korvane-cli-scan make_samples
cmake --build build --target samples
# The viewer opens the folder it is started in.
cd build/samples
exec ../app/korvane
