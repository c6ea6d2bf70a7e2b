#!/usr/bin/env bash
# What people get from the engine, checked from a built tree:  check.sh [--build DIR] [STEP...]
#   install   cmake --install into a temporary prefix; game projects outside the tree (copies of
#             consumer/ and of the examples) build against it alone with find_package(Brumal) and
#             brumal_add_pack, consumer/game.cpp again with pkg-config; each runs headless and
#             checks its frame (the examples: a late frame's checksum against a committed one, the
#             game's score after scripted keys and a click). More projects: one line each in
#             step_install (project DIR COMMAND...)
#   packages  cpack: the .tar.gz holds exactly the install tree; the .deb installs with apt-get
#             (as root), its brumal-demo draws headless as the build's demo does; it is purged again
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tree=$(cd "$here/../.." && pwd)
build=$here/../../build
[ "${1:-}" = --build ] && { build=$2; shift 2; }
build=$(cd "$build" && pwd) || exit 2
steps=("$@")
[ ${#steps[@]} -eq 0 ] && steps=(install packages)
work=$(mktemp -d /tmp/brumal-install.XXXXXX)
prefix=$work/prefix
deb_installed=
failed=0
cleanup() {
  [ -n "$deb_installed" ] && apt-get -o DPkg::Lock::Timeout=600 purge -y -qq brumal >/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
pass() { echo "PASS: $*"; }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; [ -f "$work/log" ] && tail -n 15 "$work/log" | sed 's/^/    | /'; }

# project DIR COMMAND...: a copy of DIR configured and built against the prefix alone (no file of
# the source tree on any compile line), then COMMAND run in its build folder.
project() {
  local name=${1##*/} source=$work/src/${1##*/}
  mkdir -p "$work/src" && cp -r "$1" "$source" && shift
  if cmake -S "$source" -B "$work/$name" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    >"$work/log" 2>&1 && cmake --build "$work/$name" -j2 >>"$work/log" 2>&1 &&
    ! grep -F "$tree" "$work/$name/compile_commands.json" >>"$work/log" &&
    (cd "$work/$name" && "$@") >>"$work/log" 2>&1; then
    pass "$name: built with find_package(Brumal) and run: $*"
  else
    fail "$name: $*"
  fi
}

# prints LINE... -- COMMAND...: COMMAND succeeds and prints every LINE.
prints() {
  local lines=() output line
  while [ "$1" != -- ]; do lines+=("$1") && shift; done
  shift
  output=$("$@") || return 1
  echo "$output"
  for line in "${lines[@]}"; do
    grep -Fxq -- "$line" <<<"$output" || { echo "missing: $line"; return 1; }
  done
}

step_install() {
  cmake --install "$build" --prefix "$prefix" >"$work/log" 2>&1 || { fail "cmake --install"; return; }
  project "$here/consumer" ./game --headless
  local run=(--headless --fixed-fps 60 --frames)
  project "$tree/examples/minimal" prints "frame: 0xd218a5711ec40b45" -- ./minimal "${run[@]}" 30
  project "$tree/examples/modes" prints "frame: 0xb9e2bc8b269fe949" -- ./modes "${run[@]}" 2
  # Right held for 40 frames reaches the first gem (the score starts at 0); frame 80 shows its
  # pick-up effect and the hero walking to the click.
  project "$tree/examples/game" prints "gems: score 1" "frame: 0xf13da4cc1b0abd3b" -- ./game "${run[@]}" 80 \
    --keys 20:down:Right,60:up:Right,62:down:left:100,400,63:up:left:100,400
  # The launcher runs the demo in its data folder; a relative screenshot still lands here, in
  # both spellings of the option (the demo ends with status 1 as always).
  (cd "$work" && "$prefix/bin/brumal-demo" "${run[@]}" 1 --screenshot one.png
    "$prefix/bin/brumal-demo" "${run[@]}" 1 --screenshot=two.png) >"$work/log" 2>&1
  if [ -s "$work/one.png" ] && [ -s "$work/two.png" ]; then
    pass "brumal-demo writes --screenshot FILE and --screenshot=FILE where it was started"
  else
    fail "brumal-demo --screenshot with a relative name"
  fi
  local flags
  if flags=$(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --cflags --libs brumal 2>"$work/log") &&
    g++ -std=c++17 "$here/consumer/game.cpp" -o "$work/consumer/game-pc" $flags >"$work/log" 2>&1 &&
    (cd "$work/consumer" && ./game-pc --headless) >"$work/log" 2>&1; then
    pass "game.cpp built with pkg-config --cflags --libs brumal and run"
  else
    fail "game.cpp with pkg-config"
  fi
}

step_packages() {
  cpack --config "$build/CPackConfig.cmake" -B "$work/packages" >"$work/log" 2>&1 || { fail "cpack"; return; }
  local tgz=("$work"/packages/brumal-*-Linux.tar.gz) deb=("$work"/packages/brumal_*.deb)
  cmake --install "$build" --prefix "$work/tree" >/dev/null && (cd "$work/tree" && find . ! -type d | sort) >"$work/tree.txt"
  if tar tzf "$tgz" | grep -v '/$' | sed 's|^[^/]*/|./|' | sort | diff "$work/tree.txt" - >"$work/log"; then
    pass "${tgz##*/} holds what cmake --install installs"
  else
    fail "${tgz##*/} differs from the install tree (< installed, > packed)"
  fi
  if [ "$(id -u)" -ne 0 ] || dpkg-query -W brumal >/dev/null 2>&1; then
    echo "SKIP: ${deb##*/} is installed only by root and only where no brumal package is"
    return
  fi
  deb_installed=1
  local run=(--headless --frames 90 --fixed-fps 60 --screenshot)
  (cd "$build/bin" && ./demo "${run[@]}" "$work/build.png") >"$work/log" 2>&1
  if apt-get -o DPkg::Lock::Timeout=600 install -y -qq "$deb" >"$work/log" 2>&1 &&
    (cd "$work" && brumal-demo "${run[@]}" deb.png >>"$work/log" 2>&1; cmp deb.png build.png >>"$work/log" 2>&1); then
    pass "${deb##*/} installs with apt-get; its brumal-demo draws frame 90 headless as the build's demo"
  else
    fail "${deb##*/}"
  fi
  apt-get -o DPkg::Lock::Timeout=600 purge -y -qq brumal >"$work/log" 2>&1 && deb_installed=
  [ -z "$deb_installed" ] || fail "apt-get purge brumal"
}

for step in "${steps[@]}"; do
  start=$SECONDS
  if declare -F "step_$step" >/dev/null; then "step_$step"; else fail "unknown step $step (install, packages)"; fi
  echo "  ($step: $((SECONDS - start)) s)"
done
[ "$failed" -eq 0 ]
