#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs, and nothing when they are all there.
#   install-deps.sh                build, demo, tests, release packages and the API reference
#   install-deps.sh windows        also the 64-bit and 32-bit mingw-w64 cross compilers, Wine and the
#                                  X tools its checks use; Wine's 32-bit part (wine32:i386) only where
#                                  this machine can run 32-bit programs at all (scripts/can-run-32bit.sh)
#   install-deps.sh web            also emscripten and headless Chromium driven through WebDriver
#   install-deps.sh windows web    both
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

packages=(cmake make g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev libsdl2-dev libpng-dev
  zlib1g-dev libphysfs-dev unifont clang clang-format libclang-rt-14-dev xvfb xdotool imagemagick
  file dpkg-dev doxygen)
for set in "$@"; do
  case "$set" in
    windows)
      packages+=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 wine xauth unzip)
      # Elsewhere wine32 would make `wine` start every program through a loader that cannot run.
      if "$here/can-run-32bit.sh" >/dev/null; then
        packages+=(wine32:i386)
      fi
      ;;
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
if [[ " ${missing[*]} " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
apt-get update -qq
apt-get -o DPkg::Lock::Timeout=600 install -y -qq "${missing[@]}" >/dev/null
