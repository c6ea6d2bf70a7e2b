#!/usr/bin/env bash
# Builds the Windows programs (packer.exe, demo.exe) with mingw-w64, 64-bit into build-windows/
# and 32-bit into build-win32/, checks them under Wine and makes the release .zip files:
#   build            both 64-bit programs statically linked, without warnings, importing system
#                    DLLs only; the demo's data made by the Linux build's tools
#   build32          the same for 32-bit Windows (the DirectDraw record sizes checked at compile time)
#   packer-golden    the packer's golden cases (tests/packer/golden-cases.txt), run by the Linux
#                    packer and by packer.exe: standard output (CRLF read as LF), exit statuses
#                    and the files left behind
#   packer-cross     archives of the same trees from both programs are byte-identical, and each
#                    program lists and unpacks the other's archive
#   demo-windowed    demo.exe in a window on a 16-bit X screen: the scene is on screen, Escape ends
#                    it with exit code 1
#   demo-fullscreen  the same full screen (FullScreen=1) inside a Wine virtual desktop
#   demo-depth       demo.exe windowed on a 24-bit X screen: the depth message box, then exit code 1
#   wine32           the five Wine steps above again with the 32-bit programs, where this machine
#                    can run 32-bit code and Wine's 32-bit part is installed; otherwise a SKIP line
#   zip              brumal-<version>-win64.zip and -win32.zip hold exactly stripped demo.exe and
#                    packer.exe, the Linux build's data.pak, setting.ini and README.txt (CR LF)
#
#   scripts/windows-check.sh [--linux-build DIR] [--record-golden] [STEP...]
#
# The Linux build (default build/, or $BRUMAL_LINUX_BUILD) provides the Linux packer, the demo's
# data set, the golden cases' runner and the headless frames the screenshots are compared with; its
# targets packer, demo, demo_data and PackerGoldenTest are brought up to date first.
# --record-golden rewrites the outputs in tests/packer/golden-cases.txt from the Linux packer, and
# packer.exe's own where they differ (review the change).
# The script starts its own X servers and Wine prefix and stops them at the end. Needs:
# g++-mingw-w64-x86-64-posix, g++-mingw-w64-i686-posix, wine, wine64, xvfb, xdotool, imagemagick,
# unzip (scripts/install-deps.sh windows).
set -uo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
linux=${BRUMAL_LINUX_BUILD:-$top/build}
win=${BRUMAL_WINDOWS_BUILD:-$top/build-windows}
win32=${BRUMAL_WINDOWS32_BUILD:-$top/build-win32}
record=0
steps=()
while [ $# -gt 0 ]; do
  case $1 in
    --linux-build) linux=$2; shift 2 ;;
    --record-golden) record=1; shift ;;
    -h|--help) sed -n '2,30p' "$0"; exit 0 ;;
    *) steps+=("$1"); shift ;;
  esac
done
all_steps=(build build32 packer-golden packer-cross demo-windowed demo-fullscreen demo-depth wine32 zip)
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

# build_windows LABEL FOLDER TOOLCHAIN OBJDUMP: both programs, statically linked, without
# warnings, importing only DLLs that come with Windows, and the demo's data made by the Linux
# tools. Status 0, or after the FAIL line 2 when the programs could not be built, else 1.
build_windows() {
  local label=$1 dir=$2 toolchain=$3 objdump=$4 blog=$work/build-$1.log
  ensure_linux || { fail "$label: no Linux build, whose tools make the demo's data"; return 2; }
  if ! { cmake -S "$top" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/$toolchain" -DCMAKE_BUILD_TYPE=Release \
           -DBRUMAL_SDL=OFF -DBRUMAL_TOOLS_DIR="$linux/bin" &&
         cmake --build "$dir" -j"$jobs" --target packer demo demo_data; } >"$blog" 2>&1; then
    fail "$label: mingw-w64 build of packer.exe and demo.exe"
    show "$blog" 25
    return 2
  fi
  if grep -qi 'warning' "$blog"; then
    fail "$label: the Windows build has warnings"
    grep -i -A3 'warning' "$blog" | head -20 | sed 's/^/    | /'
    return 1
  fi
  local exe dlls extra subsystem
  for exe in packer demo; do
    dlls=$($objdump -p "$dir/bin/$exe.exe" | awk '/DLL Name:/ {print toupper($3)}' | sort | tr '\n' ' ')
    extra=$(printf '%s\n' $dlls | grep -vxE 'KERNEL32.DLL|MSVCRT.DLL|USER32.DLL|GDI32.DLL|DDRAW.DLL' | tr '\n' ' ')
    if [ -n "$extra" ]; then
      fail "$label: $exe.exe needs DLLs that Windows does not have: $extra"
      return 1
    fi
    subsystem=$($objdump -p "$dir/bin/$exe.exe" | awk '$1 == "Subsystem" {print $2}')
    if [ "$exe" = demo ] && [ "$subsystem" != 00000002 ]; then
      fail "$label: demo.exe is not a GUI program (subsystem $subsystem)"
      return 1
    fi
    if [ "$exe" = packer ] && [ "$subsystem" != 00000003 ]; then
      fail "$label: packer.exe is not a console program (subsystem $subsystem)"
      return 1
    fi
    say "  $exe.exe imports: $dlls"
  done
}

step_build() {
  build_windows build "$win" mingw-w64-x86_64.cmake x86_64-w64-mingw32-objdump
  case $? in
    0) pass "build: packer.exe (console) and demo.exe (GUI), statically linked, no warnings" ;;
    2) build_failed=1 ;;
  esac
}

step_build32() {
  build_windows build32 "$win32" mingw-w64-i686.cmake i686-w64-mingw32-objdump || return
  local format
  format=$(i686-w64-mingw32-objdump -f "$win32/bin/demo.exe" | awk '/file format/ {print $NF}')
  if [ "$format" != pei-i386 ]; then
    fail "build32: demo.exe is $format, not a 32-bit program"
    return
  fi
  pass "build32: 32-bit packer.exe and demo.exe, statically linked, no warnings"
}

# The five Wine steps with the 32-bit programs, where they can run.
step_wine32() {
  local reason
  if ! reason=$("$top/scripts/can-run-32bit.sh"); then
    say "SKIP: wine32: $reason, so Wine cannot run the 32-bit programs; they are checked as far as building them (build32)"
    return
  fi
  if [ ! -x /usr/lib/wine/wine ]; then
    say "SKIP: wine32: Wine's 32-bit part is not installed (scripts/install-deps.sh windows installs wine32:i386)"
    return
  fi
  [ -f "$win32/bin/demo.exe" ] || step_build32
  local packer64=$packer_exe demo64=$demo_exe step
  packer_exe=$win32/bin/packer.exe
  demo_exe=$win32/bin/demo.exe
  say "  (the 32-bit programs from $win32/bin)"
  for step in packer_golden packer_cross demo_windowed demo_fullscreen demo_depth; do
    "step_$step"
  done
  packer_exe=$packer64
  demo_exe=$demo64
}

# The release .zip of each build: exactly what a Windows user needs, the programs stripped.
step_zip() {
  local dir bits name listing problems exe
  ensure_linux || { fail "zip: no Linux build"; return; }
  for bits in 64 32; do
    dir=$win
    [ "$bits" = 32 ] && dir=$win32
    [ -f "$dir/CMakeCache.txt" ] || { fail "zip: no $bits-bit build (steps build, build32)"; continue; }
    rm -f "$dir"/brumal-*.zip
    # Configured again first: cpack reads the package settings the last configure wrote.
    { cmake "$dir" && (cd "$dir" && cpack); } >"$work/cpack-$bits.log" 2>&1
    name=$(cd "$dir" && ls brumal-*-win"$bits".zip 2>/dev/null)
    [ -n "$name" ] || { fail "zip: cpack made no win$bits .zip"; show "$work/cpack-$bits.log"; continue; }
    rm -rf "$work/zip$bits" && mkdir -p "$work/zip$bits" && unzip -q "$dir/$name" -d "$work/zip$bits"
    listing=$(unzip -Z1 "$dir/$name" | sort | tr '\n' ' ')
    problems=()
    local top_dir=${name%.zip}
    [ "$listing" = "$top_dir/README.txt $top_dir/data.pak $top_dir/demo.exe $top_dir/packer.exe $top_dir/setting.ini " ] ||
      problems+=("it holds: $listing")
    cmp -s "$work/zip$bits/$top_dir/data.pak" "$linux/bin/data.pak" || problems+=("data.pak is not the Linux build's")
    cmp -s "$work/zip$bits/$top_dir/setting.ini" "$top/assets/setting.ini" || problems+=("setting.ini is not the default one")
    grep -q $'\r$' "$work/zip$bits/$top_dir/README.txt" || problems+=("README.txt has no CR LF line ends")
    for exe in demo packer; do
      [ "$(x86_64-w64-mingw32-objdump -t "$work/zip$bits/$top_dir/$exe.exe" 2>/dev/null | grep -c '^\[')" -eq 0 ] ||
        problems+=("$exe.exe is not stripped")
    done
    if [ ${#problems[@]} -eq 0 ]; then
      pass "zip: $name: demo.exe, packer.exe (stripped), data.pak, setting.ini, README.txt"
    else
      fail "zip: $name: ${problems[*]}"
    fi
  done
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
# With Wine's 32-bit part installed, `wine` starts every program through the 32-bit loader; where
# 32-bit code cannot run, the 64-bit programs go to the 64-bit loader directly. Wine's own tools
# (wineboot ...) call wine-stable.
if [ -x /usr/lib/wine/wine ] && [ -x /usr/lib/wine/wine64 ] && ! "$top/scripts/can-run-32bit.sh" >/dev/null; then
  mkdir -p "$work/wine64"
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$work/wine64/$name"
    chmod +x "$work/wine64/$name"
  done
  PATH=$work/wine64:$PATH
fi
start=$SECONDS
for step in "${steps[@]}"; do
  step_start=$SECONDS
  case $step in
    build) step_build ;;
    build32) step_build32 ;;
    wine32) step_wine32 ;;
    zip) step_zip ;;
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
