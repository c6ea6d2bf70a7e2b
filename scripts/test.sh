#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit and golden tests, the
# API reference (which must build with no Doxygen warning), the installed engine and the release
# packages (tests/install/check.sh), the same tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, the Windows programs under Wine with their release .zip files, and the
# demo's page in headless Chromium. Both ctest runs replay every fuzz target over its seed corpus
# and deterministic mutations of it (fuzz/ReplayMain.cpp), so the sanitizers watch the fuzz inputs
# too.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=$(nproc)

scripts/install-deps.sh windows web

echo "== formatting (clang-format 14, .clang-format)"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

echo "== build and test (Release)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBRUMAL_BENCH=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== the API reference (Doxygen, build/docs/html; any warning fails it)"
cmake --build build --target docs

echo "== the installed engine: a game built against it, pkg-config, the .tar.gz and the .deb"
tests/install/check.sh --build build

echo "== build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRUMAL_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

if [ -x scripts/windows-check.sh ]; then
  echo "== Windows programs under Wine"
  scripts/windows-check.sh
fi

echo "== the demo in a web browser (headless Chromium, against the Linux demo)"
scripts/build-web.sh
/usr/bin/python3 tests/web/web_check.py build-web/site build/bin/demo build-web/web-screenshot.png
