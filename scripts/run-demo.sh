#!/usr/bin/env bash
# Installs what is missing, builds the demo and its data, and runs it: in a window when a display
# is there, otherwise headless for a few seconds' worth of frames, writing a screenshot.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target demo packer demo_data

cd build/bin
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec ./demo
fi
./demo --headless --frames 600 --screenshot "$top/build/demo-screenshot.png" || true
echo "screenshot: $top/build/demo-screenshot.png"
