#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs, and nothing when they are all there.
#   install-deps.sh                build, demo and tests
#   install-deps.sh windows        also the mingw-w64 cross compiler, Wine and the X tools its checks use
#   install-deps.sh web            also emscripten and headless Chromium driven through WebDriver
#   install-deps.sh windows web    both
set -euo pipefail

packages=(cmake make g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev libsdl2-dev libpng-dev
  zlib1g-dev libphysfs-dev unifont clang clang-format libclang-rt-14-dev xvfb xdotool imagemagick)
for set in "$@"; do
  case "$set" in
    windows) packages+=(g++-mingw-w64-x86-64-posix wine64 wine xauth) ;;
    web) packages+=(emscripten binaryen node-acorn python3 chromium chromium-driver python3-selenium) ;;
    *) echo "unknown package set: $set" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: ${missing[*]} (run as root to install them)" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null
