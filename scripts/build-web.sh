#!/usr/bin/env bash
# Builds the demo for web browsers: installs what is missing, makes the demo's data with the native
# tools (build/), compiles the demo to WebAssembly with emscripten (build-web/) and puts everything
# the page needs into build-web/site: index.html, demo.js, demo.wasm, data.pak, setting.ini and
# the glyphs of its status text (unifont.hex).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=$(nproc)

scripts/install-deps.sh web

echo "== the demo's data (native tools)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$jobs" --target demo_data

echo "== the demo in WebAssembly"
# Debian's emscripten: its optimiser needs Debian's acorn, which node finds only through NODE_PATH.
export NODE_PATH=/usr/share/nodejs EMSDK_PYTHON=/usr/bin/python3
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release -DBRUMAL_NATIVE_BIN="$top/build/bin" >/dev/null
cmake --build build-web -j"$jobs"

echo "The page is in build-web/site. Serve it, then open http://127.0.0.1:8000/ in a browser:"
echo "  python3 -m http.server --bind 127.0.0.1 -d build-web/site"
