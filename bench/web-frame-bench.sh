#!/usr/bin/env bash
# One frame of the demo scene in headless Chromium beside the same frame natively, in one run:
# builds the page (scripts/build-web.sh), the browser frame benchmark with wasm SIMD (build-web)
# and without (build-web-portable, the portable paths), and the native frame_bench, then runs
# bench/web_frame_bench.py on them. Figures go to docs/performance.md.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=$(nproc)

scripts/build-web.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBRUMAL_BENCH=ON >/dev/null
cmake --build build -j"$jobs" --target frame_bench
export NODE_PATH=/usr/share/nodejs EMSDK_PYTHON=/usr/bin/python3
cmake --build build-web -j"$jobs" --target web_bench
emcmake cmake -S . -B build-web-portable -DCMAKE_BUILD_TYPE=Release -DBRUMAL_WEB_SIMD=OFF \
  -DBRUMAL_NATIVE_BIN="$top/build/bin" >/dev/null
cmake --build build-web-portable -j"$jobs" --target web_bench

/usr/bin/python3 bench/web_frame_bench.py build/bin/frame_bench build-web/site build-web-portable/site
