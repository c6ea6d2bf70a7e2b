#!/usr/bin/env bash
# Builds the Windows programs (packer.exe, demo.exe) with mingw-w64 into build-windows/ and checks
# them under Wine:
#   build            both programs statically linked, without warnings, importing system DLLs only
#   packer-golden    the packer's golden cases (tests/packer/golden-cases.txt), run by the Linux
#                    packer and by packer.exe: standard output (CRLF read as LF), exit statuses
#                    and the files left behind
#   packer-cross     archives of the same trees from both programs are byte-identical, and each
#                    program lists and unpacks the other's archive
#   demo-windowed    demo.exe in a window on a 16-bit X screen: the scene is on screen, Escape ends
#                    it with exit code 1
#   demo-fullscreen  the same full screen (FullScreen=1) inside a Wine virtual desktop
#   demo-depth       demo.exe windowed on a 24-bit X screen: the depth message box, then exit code 1
#
#   scripts/windows-check.sh [--linux-build DIR] [--record-golden] [STEP...]
#
# The Linux build (default build/, or $BRUMAL_LINUX_BUILD) provides the Linux packer, the demo's
# data set, the golden cases' runner and the headless frames the screenshots are compared with; its
# targets packer, demo, demo_data and PackerGoldenTest are brought up to date first.
# --record-golden rewrites the outputs in tests/packer/golden-cases.txt from the Linux packer, and
# packer.exe's own where they differ (review the change).
# The script starts its own X servers and Wine prefix and stops them at the end. Needs: g++-mingw-w64-x86-64-posix, wine, wine64, xvfb, xdotool, imagemagick
# (scripts/install-deps.sh windows).
set -uo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
linux=${BRUMAL_LINUX_BUILD:-$top/build}
win=${BRUMAL_WINDOWS_BUILD:-$top/build-windows}
record=0
steps=()
while [ $# -gt 0 ]; do
  case $1 in
    --linux-build) linux=$2; shift 2 ;;
    --record-golden) record=1; shift ;;
    -h|--help) sed -n '2,23p' "$0"; exit 0 ;;
    *) steps+=("$1"); shift ;;
  esac
done
all_steps=(build packer-golden packer-cross demo-windowed demo-fullscreen demo-depth)
[ ${#steps[@]} -eq 0 ] && steps=("${all_steps[@]}")
linux=$(cd "$linux" 2>/dev/null && pwd || echo "$linux")
# Everything Wine does here happens in a prefix and on X servers of our own.
unset WINEPREFIX DISPLAY WINESERVER

tests=$top/tests/windows
work=$win/check
jobs=$(nproc 2>/dev/null || echo 2)
passed=0
failed=0

say() { printf '%s\n' "$*"; }
pass() { passed=$((passed + 1)); say "PASS: $*"; }
fail() { failed=$((failed + 1)); say "FAIL: $*"; }
# The last lines of a log, indented, after a failure.
show() { [ -f "$1" ] && tail -n "${2:-15}" "$1" | sed 's/^/    | /'; }

# ---------------------------------------------------------------------------------------------
# X servers and the Wine prefix, stopped at the end whatever happened.

xvfb_pids=()
demo_pid=
cleanup() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1
  fi
  if [ -n "$demo_pid" ]; then
    kill "$demo_pid" 2>/dev/null
    wait "$demo_pid" 2>/dev/null
  fi
  local pid
  for pid in "${xvfb_pids[@]}"; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# start_xvfb DEPTH: a 1024x768 screen of that depth on the first free display; its number in REPLY.
start_xvfb() {
  local depth=$1 number= i
  local fdfile=$work/xvfb-$depth.display
  : > "$fdfile"
  Xvfb -displayfd 9 -screen 0 "1024x768x$depth" -nolisten tcp 9>"$fdfile" >"$work/xvfb-$depth.log" 2>&1 &
  xvfb_pids+=($!)
  for ((i = 0; i < 100; i++)); do
    number=$(head -n 1 "$fdfile" 2>/dev/null)
    [ -n "$number" ] && break
    kill -0 "${xvfb_pids[-1]}" 2>/dev/null || break
    sleep 0.1
  done
  REPLY=$number
  [ -n "$number" ]
}

display16=
display24=
ensure_wine() {
  [ -n "$display16" ] && return 0
  start_xvfb 16 || { say "cannot start Xvfb with a 16-bit screen"; show "$work/xvfb-16.log"; return 1; }
  display16=$REPLY
  export DISPLAY=:$display16 WINEPREFIX=$work/wineprefix WINEDEBUG=fixme-all WINEDLLOVERRIDES="mscoree,mshtml="
  rm -rf "$WINEPREFIX"
  local started=$SECONDS
  if ! timeout 600 wineboot -i >"$work/wineboot.log" 2>&1; then
    say "wineboot -i failed"
    show "$work/wineboot.log"
    return 1
  fi
  say "  (a fresh Wine prefix on X display :$display16 (16 bits): $((SECONDS - started)) s)"
  # Unmanaged windows: closing them never waits on a window manager.
  wine_registry <<'EOF' || { say "cannot write Wine's registry"; show "$work/wine-reg.log"; return 1; }
[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
EOF
}

# wine_registry < BODY: imports registry settings, then restarts the server (it saves them on the
# way), so that the next program starts with them: the desktop and the renderer are chosen at
# start. The server stays up between programs, which saves starting it for every run.
wine_registry() {
  { printf 'REGEDIT4\r\n\r\n'; sed 's/$/\r/'; } > "$work/settings.reg"
  local status=0
  wine reg import 'Z:'"${work//\//\\}"'\settings.reg' >>"$work/wine-reg.log" 2>&1 || status=1
  wineserver -k >/dev/null 2>&1
  wineserver -w
  wineserver -p
  return $status
}

# ---------------------------------------------------------------------------------------------
# build

packer_exe=$win/bin/packer.exe
demo_exe=$win/bin/demo.exe
build_failed=

# The Windows steps need both programs, built now.
programs_ready() {
  [ -z "$build_failed" ] && [ -f "$packer_exe" ] && [ -f "$demo_exe" ]
}

step_build() {
  local blog=$work/build.log
  if ! { cmake -S "$top" -B "$win" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
           -DCMAKE_BUILD_TYPE=Release -DBRUMAL_SDL=OFF &&
         cmake --build "$win" -j"$jobs" --target packer demo; } >"$blog" 2>&1; then
    fail "build: mingw-w64 build of packer.exe and demo.exe"
    show "$blog" 25
    build_failed=1
    return
  fi
  if grep -qi 'warning' "$blog"; then
    fail "build: the Windows build has warnings"
    grep -i -A3 'warning' "$blog" | head -20 | sed 's/^/    | /'
    return
  fi
  # Statically linked: only DLLs that come with Windows.
  local exe dlls extra subsystem
  for exe in packer demo; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$win/bin/$exe.exe" | awk '/DLL Name:/ {print toupper($3)}' | sort | tr '\n' ' ')
    extra=$(printf '%s\n' $dlls | grep -vxE 'KERNEL32.DLL|MSVCRT.DLL|USER32.DLL|GDI32.DLL|DDRAW.DLL' | tr '\n' ' ')
    if [ -n "$extra" ]; then
      fail "build: $exe.exe needs DLLs that Windows does not have: $extra"
      return
    fi
    subsystem=$(x86_64-w64-mingw32-objdump -p "$win/bin/$exe.exe" | awk '$1 == "Subsystem" {print $2}')
    if [ "$exe" = demo ] && [ "$subsystem" != 00000002 ]; then
      fail "build: demo.exe is not a GUI program (subsystem $subsystem)"
      return
    fi
    if [ "$exe" = packer ] && [ "$subsystem" != 00000003 ]; then
      fail "build: packer.exe is not a console program (subsystem $subsystem)"
      return
    fi
    say "  $exe.exe imports: $dlls"
  done
  pass "build: packer.exe (console) and demo.exe (GUI), statically linked, no warnings"
}

# The Linux programs and data set the other steps compare with.
linux_ready=
ensure_linux() {
  [ -n "$linux_ready" ] && return "$linux_ready"
  linux_ready=1
  if [ ! -f "$linux/CMakeCache.txt" ]; then
    cmake -S "$top" -B "$linux" -DCMAKE_BUILD_TYPE=Release >"$work/linux-build.log" 2>&1 || { show "$work/linux-build.log"; return 1; }
  fi
  if ! cmake --build "$linux" -j"$jobs" --target packer demo demo_data PackerGoldenTest >>"$work/linux-build.log" 2>&1; then
    say "the Linux build in $linux fails"
    show "$work/linux-build.log"
    return 1
  fi
  linux_ready=0
}

# ---------------------------------------------------------------------------------------------
# The steps of the two programs.

source "$tests/packer-check.sh"
source "$tests/demo-check.sh"

# ---------------------------------------------------------------------------------------------

mkdir -p "$win"
rm -rf "$work"
mkdir -p "$work"
start=$SECONDS
for step in "${steps[@]}"; do
  step_start=$SECONDS
  case $step in
    build) step_build ;;
    packer-golden) step_packer_golden ;;
    packer-cross) step_packer_cross ;;
    demo-windowed) step_demo_windowed ;;
    demo-fullscreen) step_demo_fullscreen ;;
    demo-depth) step_demo_depth ;;
    *) fail "unknown step '$step' (steps: ${all_steps[*]})" ;;
  esac
  say "  ($step: $((SECONDS - step_start)) s)"
done
say "Windows checks took $((SECONDS - start)) s"
say "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
