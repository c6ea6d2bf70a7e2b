#!/usr/bin/env bash
# Builds the Windows programs (packer.exe, demo.exe) with mingw-w64 into build-windows/ and checks
# them under Wine:
#   build            both programs statically linked, without warnings, importing system DLLs only
#   packer-golden    the packer's golden cases, run by the Linux packer and by packer.exe: standard
#                    output (CRLF read as LF), exit statuses and every file left behind
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
# data set and the headless frames the screenshots are compared with; its targets packer, demo and
# demo_data are brought up to date first. --record-golden rewrites tests/windows/packer-golden from
# the Linux packer, and packer.exe's own goldens where its directory order differs (review them).
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
    -h|--help) sed -n '2,24p' "$0"; exit 0 ;;
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
  if ! cmake --build "$linux" -j"$jobs" --target packer demo demo_data >>"$work/linux-build.log" 2>&1; then
    say "the Linux build in $linux fails"
    show "$work/linux-build.log"
    return 1
  fi
  linux_ready=0
}

# ---------------------------------------------------------------------------------------------
# packer-golden and packer-cross

source "$tests/packer-cases.sh"

# run_packer KIND ARG...: one run of the Linux packer or of packer.exe in the current directory.
# The program names itself "packer" in the usage text in both cases.
run_packer() {
  local kind=$1
  shift
  if [ "$kind" = linux ]; then
    (exec -a packer "$linux/bin/packer" "$@")
  else
    WINEDEBUG=-all wine "$packer_exe" "$@" 2>>"$work/wine-packer.log" | sed 's/\r$//' | PROGRAM="$packer_dos" perl -pe 's/\Q$ENV{PROGRAM}\E/packer/g'
    return "${PIPESTATUS[0]}"
  fi
}

# Every directory and file below a root, with sizes and hashes (tests/windows/manifest.pl).
manifest() { perl "$tests/manifest.pl" "$1"; }

# note < TEXT: appends to the case's transcript. Long texts (the big tree's reports and trees)
# are folded: their first 12 and last 6 lines around a line with the count and a hash of them
# all. The unfolded transcript is kept beside it, in <case>.full.txt.
note() {
  local text=$work/note.tmp lines
  cat > "$text"
  cat "$text" >> "$full_transcript"
  lines=$(wc -l < "$text")
  if [ "$lines" -le 40 ]; then
    cat "$text"
  else
    head -n 12 "$text"
    printf '[... %d lines in all, sha256 %s ...]\n' "$lines" "$(sha256sum < "$text" | cut -c1-16)"
    tail -n 6 "$text"
  fi >> "$transcript"
}

# The helpers a case uses (tests/windows/packer-cases.sh).
fx() { perl "$tests/fixtures.pl" "$@"; }
run() { run_in . "$@"; }
run_in() {
  local sub=$1 output=$work/packer-run.out status
  shift
  { printf '$ packer'; printf ' [%s]' "$@"; printf '\n'; } | note
  (cd "$sub" && run_packer "$case_kind" "$@") > "$output"
  status=$?
  note < "$output"
  {
    if [ -s "$output" ] && [ -n "$(tail -c 1 "$output")" ]; then
      printf '[no line feed at the end]\n'
    fi
    printf '[exit %d]\n' "$status"
  } | note
}
snap() {
  printf '[tree %s]\n' "$1" | note
  manifest "$1" | note
}

# packer_case KIND CASE: runs one case in a fresh directory; its transcript in $transcript.
packer_case() {
  case_kind=$1
  local name=$2 dir=$work/packer/$1/$2
  transcript=$work/packer/$1/$2.txt
  full_transcript=$work/packer/$1/$2.full.txt
  rm -rf "$dir"
  mkdir -p "$dir"
  : > "$transcript"
  : > "$full_transcript"
  (cd "$dir" && "case_$name")
  printf '[tree at the end]\n' | note
  manifest "$dir" | note
}

step_packer_golden() {
  programs_ready || { fail "packer-golden: packer.exe and demo.exe are not built"; return; }
  ensure_linux || { fail "packer-golden: no Linux build"; return; }
  ensure_wine || { fail "packer-golden: no Wine"; return; }
  packer_dos="Z:$(realpath "$packer_exe" | tr / '\\')"
  local kind name bad golden
  for kind in linux windows; do
    bad=()
    for name in "${packer_cases[@]}"; do
      packer_case "$kind" "$name"
      # The programs list a directory as their platform does: by bytes on Linux, without regard
      # to case on Windows. Where that changes the order, packer.exe has a golden of its own.
      golden=$tests/packer-golden/$name.txt
      if [ "$record" = 1 ]; then
        mkdir -p "$tests/packer-golden"
        if [ "$kind" = linux ]; then
          cp "$transcript" "$golden"
        elif cmp -s "$golden" "$transcript"; then
          rm -f "$tests/packer-golden/$name.windows.txt"
        else
          cp "$transcript" "$tests/packer-golden/$name.windows.txt"
          say "  recorded packer-golden/$name.windows.txt: check it by hand"
        fi
      fi
      if [ "$kind" = windows ] && [ -f "$tests/packer-golden/$name.windows.txt" ]; then
        golden=$tests/packer-golden/$name.windows.txt
      fi
      if ! cmp -s "$golden" "$transcript"; then
        bad+=("$name")
        say "  $name: $transcript (unfolded: $full_transcript)"
        diff -u "$golden" "$transcript" | head -n 30 | sed 's/^/    | /'
      fi
    done
    local program="Linux packer"
    [ "$kind" = windows ] && program="packer.exe under Wine"
    if [ ${#bad[@]} -eq 0 ]; then
      pass "packer-golden: $program, ${#packer_cases[@]} golden cases (output, exit status, files)"
    else
      fail "packer-golden: $program differs from tests/windows/packer-golden in: ${bad[*]}"
    fi
  done
}

# cross_check NAME TREE ROOT SAME_ORDER LABEL: packs ROOT (a directory below TREE) with both
# programs, then lists and unpacks each one's archive with the other program: same entries, and
# the unpacked trees are the packed one with lowered names. When both platforms list the tree's
# names in the same order (SAME_ORDER 1) the archives are byte-identical; otherwise they hold the
# same records in another order, so they have the same size.
cross_check() {
  local tree=$2 root=$3 same_order=$4 label=$5 dir=$work/cross/$1 problems=()
  rm -rf "$dir"
  mkdir -p "$dir"
  cp -a "$tree/$root" "$dir/$root"
  (
    cd "$dir" || exit 1
    run_packer linux -p "$root" linux.pak > pack-linux.out
    run_packer windows -p "$root" windows.pak > pack-windows.out
    run_packer windows -l linux.pak list-by-windows.txt > list-windows.out
    run_packer linux -l windows.pak list-by-linux.txt > list-linux.out
    mkdir unpacked-by-windows unpacked-by-linux
    run_packer windows -u linux.pak 'unpacked-by-windows\' > unpack-windows.out
    run_packer linux -u windows.pak 'unpacked-by-linux\' > unpack-linux.out
    # The packed tree as it should come back: names lowered.
    mkdir expected
    (cd "$root" && find . -type d) | tr 'A-Z' 'a-z' | (cd expected && xargs mkdir -p)
    (cd "$root" && find . -type f) | while IFS= read -r f; do cp "$root/$f" "expected/$(printf '%s' "$f" | tr 'A-Z' 'a-z')"; done
  )
  [ -s "$dir/linux.pak" ] || problems+=("the Linux packer wrote no archive")
  if [ "$same_order" = 1 ]; then
    cmp -s "$dir/linux.pak" "$dir/windows.pak" || problems+=("the archives differ")
    cmp -s "$dir/pack-linux.out" "$dir/pack-windows.out" || problems+=("the packing reports differ")
  else
    [ "$(stat -c %s "$dir/linux.pak")" = "$(stat -c %s "$dir/windows.pak")" ] || problems+=("the archives differ in size")
    cmp -s <(sort "$dir/pack-linux.out") <(sort "$dir/pack-windows.out") || problems+=("the packing reports differ in more than order")
  fi
  tail -n 1 "$dir/pack-windows.out" | grep -qx 'All File Packed OK!' || problems+=("packer.exe did not pack")
  local lower_root
  lower_root=$(printf '%s' "$root" | tr 'A-Z' 'a-z')
  cmp -s <(sed 's/\r$//' "$dir/list-by-windows.txt") "$dir/list-by-linux.txt" || problems+=("the list files differ")
  cmp -s "$dir/list-windows.out" "$dir/list-linux.out" || problems+=("the listing reports differ")
  [ "$(grep -c . "$dir/list-by-linux.txt")" -eq "$(cd "$dir/$root" && find . | wc -l)" ] || problems+=("the list misses entries")
  diff -r "$dir/expected" "$dir/unpacked-by-windows/$lower_root" > "$dir/diff-windows.txt" 2>&1 || problems+=("packer.exe unpacked the Linux archive wrongly")
  diff -r "$dir/expected" "$dir/unpacked-by-linux/$lower_root" > "$dir/diff-linux.txt" 2>&1 || problems+=("the Linux packer unpacked packer.exe's archive wrongly")
  grep -q Failed "$dir/unpack-windows.out" "$dir/unpack-linux.out" && problems+=("an unpacking run reported a failure")
  if [ ${#problems[@]} -eq 0 ]; then
    local same="byte-identical archives"
    [ "$same_order" = 1 ] || same="archives with the same entries"
    pass "packer-cross: $label: $same ($(stat -c %s "$dir/linux.pak") bytes, $(grep -c . "$dir/list-by-linux.txt") entries); each program lists and unpacks the other's"
  else
    local p
    fail "packer-cross: $label:"
    for p in "${problems[@]}"; do say "    - $p"; done
    show "$dir/diff-windows.txt" 5
    show "$dir/diff-linux.txt" 5
  fi
}

step_packer_cross() {
  programs_ready || { fail "packer-cross: packer.exe and demo.exe are not built"; return; }
  ensure_linux || { fail "packer-cross: no Linux build"; return; }
  ensure_wine || { fail "packer-cross: no Wine"; return; }
  packer_dos="Z:$(realpath "$packer_exe" | tr / '\\')"
  cross_check data-set "$linux/bin" data 1 "the demo's data set"
  # The data set's own archive, made by the Linux build, is the same again.
  if cmp -s "$linux/bin/data.pak" "$work/cross/data-set/windows.pak"; then
    pass "packer-cross: packer.exe's archive of data is the Linux build's data.pak byte for byte"
  else
    fail "packer-cross: packer.exe's archive of data differs from the Linux build's data.pak"
  fi
  local tree=$work/cross-tree
  rm -rf "$tree"
  mkdir -p "$tree/lower" "$tree/mixed"
  (cd "$tree/lower" && fx round_trip_tree lower)
  (cd "$tree/mixed" && fx round_trip_tree)
  cross_check lower-case "$tree/lower" data 1 "a tree of 345 entries in small letters"
  cross_check mixed-case "$tree/mixed" Data 0 "the same tree in mixed case"
}

# ---------------------------------------------------------------------------------------------
# The demo under Wine

# The scene as the Linux demo draws it headless from the same data, at frames spread over the
# blend-mode cycle and the sprites' paths: the codes it shows and its largest lit share.
reference_ready=
ensure_reference() {
  [ -n "$reference_ready" ] && return "$reference_ready"
  reference_ready=1
  ensure_linux || return 1
  local dir=$work/reference frames
  mkdir -p "$dir"
  cp "$linux/bin/data.pak" "$dir/"
  printf '[Window]\nFullScreen=0\nWidth=640\nHeight=480\n' > "$dir/setting.ini"
  : > "$dir/codes.txt"
  reference_lit=0
  for frames in 150 400 700 1000 1300 1600 1900 2200 2500 2800; do
    # The demo's exit code is always 1; the frame is what counts.
    (cd "$dir" && "$linux/bin/demo" --headless --frames "$frames" --fixed-fps 1000 --screenshot "frame-$frames.png") >>"$dir/demo.log" 2>&1
    if [ ! -s "$dir/frame-$frames.png" ]; then
      say "the Linux demo cannot draw a headless frame"
      show "$dir/demo.log"
      return 1
    fi
    "$tests/frame-stats.sh" codes "$dir/frame-$frames.png" 640x480+0+0 >> "$dir/codes.txt"
    set -- $("$tests/frame-stats.sh" summary "$dir/frame-$frames.png" 640x480+0+0)
    [ "$1" -gt "$reference_lit" ] && reference_lit=$1
  done
  awk '{print $1}' "$dir/codes.txt" | sort -un > "$dir/union.txt"
  reference_ready=0
}

# check_scene IMAGE GEOMETRY LABEL: the window region of a screenshot shows the scene. Every
# pixel of the picture is a colour code c shown as the 16-bit word c * 0x101, so nearly all lit
# pixels must be such words, nearly all of their codes must occur in the headless frames, and
# the lit share must be in the range of a scene of sprites on black (the sprites move, so the
# picture itself differs from any one headless frame).
check_scene() {
  local image=$1 geometry=$2 label=$3 lit words codes inside
  set -- $("$tests/frame-stats.sh" summary "$image" "$geometry")
  lit=$1 words=$2 codes=$3
  inside=$("$tests/frame-stats.sh" codes "$image" "$geometry" |
    awk 'NR == FNR {known[$1] = 1; next} {all += $2; if ($1 in known) hit += $2} END {print all ? int(hit * 1000 / all) : 0}' \
      "$work/reference/union.txt" -)
  local problems=()
  [ "$lit" -ge 10 ] || problems+=("only $lit per mille of the window is lit")
  [ "$lit" -le $((reference_lit * 2)) ] || problems+=("$lit per mille of the window is lit, the headless frames at most $reference_lit")
  [ "$words" -ge 950 ] || problems+=("only $words per mille of the lit pixels are colour codes")
  [ "$codes" -ge 20 ] || problems+=("only $codes different codes")
  [ "$inside" -ge 900 ] || problems+=("only $inside per mille of the lit pixels have codes of the headless frames")
  scene_summary="lit $lit/1000 (headless up to $reference_lit), $codes codes, code words $words/1000, known codes $inside/1000"
  if [ ${#problems[@]} -eq 0 ]; then
    return 0
  fi
  local p
  for p in "${problems[@]}"; do say "    - $label: $p"; done
  return 1
}

# A folder with demo.exe, data.pak and setting.ini.
demo_folder() {
  local dir=$1 full=$2
  rm -rf "$dir"
  mkdir -p "$dir"
  cp "$demo_exe" "$linux/bin/data.pak" "$dir/"
  printf '[Window]\r\nFullScreen=%d\r\nWidth=640\r\nHeight=480\r\n' "$full" > "$dir/setting.ini"
}

start_demo() {  # DIR DISPLAY LOG
  (cd "$1" && DISPLAY=:$2 exec wine demo.exe) >"$3" 2>&1 &
  demo_pid=$!
}

# find_window DISPLAY NAME SECONDS: the id of the first window of that exact name, in REPLY.
find_window() {
  local i id
  for ((i = 0; i < $3 * 5; i++)); do
    id=$(DISPLAY=:$1 xdotool search --name "^$2\$" 2>/dev/null | head -n 1)
    if [ -n "$id" ]; then
      REPLY=$id
      return 0
    fi
    kill -0 "$demo_pid" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}

# wait_demo SECONDS: waits for demo.exe to end; its exit code in REPLY.
wait_demo() {
  local i
  for ((i = 0; i < $1 * 5; i++)); do
    if ! kill -0 "$demo_pid" 2>/dev/null; then
      wait "$demo_pid"
      REPLY=$?
      demo_pid=
      return 0
    fi
    sleep 0.2
  done
  return 1
}

stop_demo() {
  wineserver -k >/dev/null 2>&1
  [ -n "$demo_pid" ] && wait "$demo_pid" 2>/dev/null
  demo_pid=
}

# demo_scene_step NAME LABEL FULLSCREEN: runs demo.exe, screenshots the X screen after a few
# seconds of frames, checks the scene, sends Escape and checks the exit code.
demo_scene_step() {
  local name=$1 label=$2 full=$3 dir=$work/$1 window geometry
  demo_folder "$dir" "$full"
  start_demo "$dir" "$display16" "$dir/wine.log"
  if ! find_window "$display16" test 60; then
    fail "$name: the demo's window did not appear"
    show "$dir/wine.log"
    stop_demo
    return
  fi
  window=$REPLY
  sleep 4
  if DISPLAY=:$display16 xdotool search --name '^(ERROR|Error)$' >/dev/null 2>&1; then
    fail "$name: the demo shows an error box"
    stop_demo
    return
  fi
  eval "$(DISPLAY=:$display16 xdotool getwindowgeometry --shell "$window")"
  geometry=${WIDTH}x${HEIGHT}+${X}+${Y}
  import -display ":$display16" -window root "$dir/screenshot.png"
  local desktop=
  if [ "$full" = 1 ]; then
    # Full screen switched the (virtual) desktop to 640 x 480.
    if find_window "$display16" 'Default - Wine desktop' 1; then
      eval "$(DISPLAY=:$display16 xdotool getwindowgeometry --shell "$REPLY")"
      desktop="${WIDTH}x${HEIGHT}"
    fi
  fi
  DISPLAY=:$display16 xdotool key --window "$window" Escape 2>/dev/null
  local status=
  if wait_demo 30; then status=$REPLY; fi
  local problems=0
  check_scene "$dir/screenshot.png" "$geometry" "$name" || problems=1
  if [ "$full" = 1 ] && [ "$desktop" != 640x480 ]; then
    say "    - $name: the desktop is ${desktop:-missing}, not the 640x480 display mode"
    problems=1
  fi
  if [[ $geometry != 640x480+* ]]; then
    say "    - $name: the window is $geometry, not 640x480"
    problems=1
  fi
  if [ -z "$status" ]; then
    say "    - $name: the demo did not end after Escape"
    stop_demo
    problems=1
  elif [ "$status" != 1 ]; then
    say "    - $name: exit code $status after Escape, not 1"
    problems=1
  fi
  if [ $problems = 0 ]; then
    pass "$name: $label: window $geometry, $scene_summary; Escape, exit code 1"
  else
    fail "$name: $label (screenshot: $dir/screenshot.png)"
    show "$dir/wine.log" 8
  fi
}

step_demo_windowed() {
  programs_ready || { fail "demo-windowed: packer.exe and demo.exe are not built"; return; }
  ensure_reference || { fail "demo-windowed: no headless reference frames"; return; }
  ensure_wine || { fail "demo-windowed: no Wine"; return; }
  # Wine's DirectDraw over its GDI renderer: Xvfb's OpenGL cannot present a 16-bit window.
  wine_registry <<'EOF'
[HKEY_CURRENT_USER\Software\Wine\Direct3D]
"renderer"="gdi"

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"=-
EOF
  [ $? -eq 0 ] || { fail "demo-windowed: cannot write Wine's registry"; return; }
  demo_scene_step demo-windowed "windowed on a 16-bit screen" 0
}

step_demo_fullscreen() {
  programs_ready || { fail "demo-fullscreen: packer.exe and demo.exe are not built"; return; }
  ensure_reference || { fail "demo-fullscreen: no headless reference frames"; return; }
  ensure_wine || { fail "demo-fullscreen: no Wine"; return; }
  # A virtual desktop can change its mode; the flipping chain in video memory needs the OpenGL
  # renderer (the GDI one has no video memory).
  wine_registry <<'EOF'
[HKEY_CURRENT_USER\Software\Wine\Direct3D]
"renderer"="gl"

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"
EOF
  [ $? -eq 0 ] || { fail "demo-fullscreen: cannot write Wine's registry"; return; }
  demo_scene_step demo-fullscreen "full screen in a virtual desktop" 1
}

step_demo_depth() {
  programs_ready || { fail "demo-depth: packer.exe and demo.exe are not built"; return; }
  ensure_linux || { fail "demo-depth: no Linux build"; return; }
  ensure_wine || { fail "demo-depth: no Wine"; return; }
  if [ -z "$display24" ]; then
    start_xvfb 24 || { fail "demo-depth: cannot start Xvfb with a 24-bit screen"; show "$work/xvfb-24.log"; return; }
    display24=$REPLY
  fi
  wine_registry <<'EOF'
[HKEY_CURRENT_USER\Software\Wine\Direct3D]
"renderer"="gdi"

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"=-
EOF
  [ $? -eq 0 ] || { fail "demo-depth: cannot write Wine's registry"; return; }
  local dir=$work/demo-depth box status=
  demo_folder "$dir" 0
  start_demo "$dir" "$display24" "$dir/wine.log"
  if ! find_window "$display24" ERROR 60; then
    fail "demo-depth: no box captioned ERROR appeared on the 24-bit screen"
    show "$dir/wine.log"
    stop_demo
    return
  fi
  box=$REPLY
  sleep 1
  import -display ":$display24" -window root "$dir/screenshot.png"
  if ! kill -0 "$demo_pid" 2>/dev/null; then
    fail "demo-depth: the demo ended while its box was still up"
    return
  fi
  # The box closes on the key press, so the release may find no window: X says so on stderr.
  DISPLAY=:$display24 xdotool key --window "$box" Return 2>/dev/null
  if wait_demo 30; then status=$REPLY; fi
  if [ "$status" = 1 ]; then
    pass "demo-depth: 24-bit screen: the depth message box, dismissed, then exit code 1"
  else
    fail "demo-depth: after the depth box the exit code is ${status:-missing (still running)}, not 1"
    show "$dir/wine.log" 8
    stop_demo
  fi
}

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
say "$passed passed, $failed failed ($((SECONDS - start)) s)"
[ "$failed" -eq 0 ]
