#!/usr/bin/env bash
# Runs the demo with its SDL window on a private X server (Xvfb) and checks it the way a person
# would: a window appears, the scene is drawn, the keys 1-4 hide and show the layer groups,
# Escape ends the program with exit code 1.
#
#   xvfb_check.sh [--full-screen WxH] DEMO [WORKDIR]
#
# DEMO is the demo program; WORKDIR (default: DEMO's folder) holds data.pak and setting.ini.
# --full-screen runs it with FullScreen=1 at W x H (a setting.ini of its own beside a link to
# data.pak), and the window must then cover the whole 1024 x 768 screen.
#
# Exit status: 0 passed, 1 failed (no window, a blank or uniform picture, keys without effect,
# wrong exit code, a crash or a hang), 77 skipped (Xvfb, xdotool or ImageMagick not installed,
# or no data.pak beside the demo).
set -u

SKIP=77
full_screen=""
while [ $# -gt 0 ]; do
  case "$1" in
    --full-screen) full_screen="$2"; shift 2 ;;
    -*) echo "xvfb_check: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
if [ $# -lt 1 ]; then
  echo "usage: xvfb_check.sh [--full-screen WxH] DEMO [WORKDIR]" >&2
  exit 2
fi
demo="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
workdir="${2:-$(dirname "$demo")}"

for tool in Xvfb xdotool import convert timeout; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "xvfb_check: SKIP: $tool is not installed"
    exit $SKIP
  fi
done
if [ ! -x "$demo" ]; then
  echo "xvfb_check: FAIL: no program at $demo"
  exit 1
fi
if [ ! -f "$workdir/data.pak" ]; then
  echo "xvfb_check: SKIP: no data.pak in $workdir (build with BRUMAL_DATA=ON)"
  exit $SKIP
fi

tmp="$(mktemp -d)"
xvfb_pid=""
demo_pid=""
# Ends one of the processes this script started, by its id: politely, then for sure.
stop() {
  kill "$1" 2>/dev/null || return 0
  for _ in $(seq 50); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}
cleanup() {
  [ -n "$demo_pid" ] && stop "$demo_pid"
  [ -n "$xvfb_pid" ] && stop "$xvfb_pid"
  rm -rf "$tmp"
}
trap cleanup EXIT

if [ -n "$full_screen" ]; then
  fs_width="${full_screen%x*}"
  fs_height="${full_screen#*x}"
  mkdir "$tmp/run"
  ln -s "$(cd "$workdir" && pwd)/data.pak" "$tmp/run/data.pak"
  printf '[Window]\nFullScreen=1\nWidth=%s\nHeight=%s\n' "$fs_width" "$fs_height" >"$tmp/run/setting.ini"
  workdir="$tmp/run"
fi

fail() {
  echo "xvfb_check: FAIL: $*"
  if [ -s "$tmp/demo.log" ]; then
    echo "--- demo output ---"
    cat "$tmp/demo.log"
  fi
  exit 1
}

# A display number nobody uses: Xvfb picks it and writes it to fd 3 once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$tmp/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
if [ ! -s "$tmp/display" ]; then
  echo "xvfb_check: SKIP: Xvfb did not start"
  cat "$tmp/xvfb.log"
  exit $SKIP
fi
export DISPLAY=":$(head -n1 "$tmp/display")"
unset WAYLAND_DISPLAY

# The demo reads setting.ini and data.pak from its working directory. A hung program (a message
# box nobody answers, a loop that never ends) is stopped by the timeout and fails the check.
(cd "$workdir" && exec timeout -k 5 120 "$demo" >"$tmp/demo.log" 2>&1) &
demo_pid=$!

window=""
for _ in $(seq 100); do
  window="$(xdotool search --onlyvisible --name '^test$' 2>/dev/null | head -n1)"
  [ -n "$window" ] && break
  kill -0 "$demo_pid" 2>/dev/null || break
  sleep 0.1
done
[ -n "$window" ] || fail "no visible window titled \"test\" appeared"
eval "$(xdotool getwindowgeometry --shell "$window")"  # X, Y, WIDTH, HEIGHT
echo "xvfb_check: window $window at $X,$Y size ${WIDTH}x${HEIGHT} on $DISPLAY"
if [ -n "$full_screen" ]; then
  sleep 1  # the switch to full screen follows the window's creation
  eval "$(xdotool getwindowgeometry --shell "$window")"
  [ "$X,$Y,$WIDTH,$HEIGHT" = "0,0,1024,768" ] ||
    fail "full screen: the window is ${WIDTH}x${HEIGHT} at $X,$Y, not the whole screen"
fi
# The keyboard goes to the window, as it would after a click on it.
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"

# Share of the window's pixels that are not black, in per mille, from a shot of the root. The
# scene is sprites on black: all four groups light some 5-10 % of a 640 x 480 window, the
# frame-rate line alone well under 1 %.
lit_permille() {
  convert "$1" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -fuzz 4% -fill white +opaque black \
    -colorspace gray -format '%[fx:int(mean*1000+0.5)]' info:
}
colours() {
  convert "$1" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -format '%k' info:
}
shoot() {
  import -window root "$tmp/$1.png" || fail "could not take a screenshot"
  kill -0 "$demo_pid" 2>/dev/null || fail "the demo ended before the screenshot $1"
}

# The sprites move and may stand half outside the window: of three shots, 0.3 s apart, the
# brightest counts. Sets $lit to its share and $brightest to its name.
shoot_three() {
  lit=-1
  brightest=""
  for n in 1 2 3; do
    shoot "$1-$n"
    local share
    share=$(lit_permille "$tmp/$1-$n.png")
    if [ "$share" -gt "$lit" ]; then
      lit=$share
      brightest="$1-$n"
    fi
    sleep 0.3
  done
}

sleep 2  # the data loads, frames begin
shoot_three shown
shown_lit=$lit
shown_colours=$(colours "$tmp/$brightest.png")
echo "xvfb_check: all groups shown: ${shown_lit}‰ of the window lit, $shown_colours colours"
[ "$shown_colours" -ge 16 ] || fail "the window is uniform ($shown_colours colours)"
[ "$shown_lit" -ge 20 ] || fail "the window is nearly all black (${shown_lit}‰ lit)"

# '1' to '4' hide the four layer groups: only the frame-rate line is left.
xdotool key --delay 50 1 2 3 4
sleep 1
shoot_three hidden
hidden_lit=$lit
echo "xvfb_check: all groups hidden: ${hidden_lit}‰ of the window lit"
[ "$hidden_lit" -le 10 ] && [ $((hidden_lit * 3)) -lt "$shown_lit" ] ||
  fail "keys 1-4 did not hide the layer groups (${hidden_lit}‰ lit)"

# Again, and they are back.
xdotool key --delay 50 1 2 3 4
sleep 1
shoot_three again
again_lit=$lit
echo "xvfb_check: groups shown again: ${again_lit}‰ of the window lit"
[ "$again_lit" -ge 20 ] || fail "keys 1-4 did not show the layer groups again (${again_lit}‰ lit)"

# Escape ends the program; its exit code is always 1.
xdotool key Escape
status=""
for _ in $(seq 100); do
  if ! kill -0 "$demo_pid" 2>/dev/null; then
    wait "$demo_pid"
    status=$?
    demo_pid=""
    break
  fi
  sleep 0.1
done
[ -n "$status" ] || fail "the demo did not end within 10 s of Escape"
[ "$status" -eq 1 ] || fail "exit code $status after Escape, expected 1"
echo "xvfb_check: PASS (exit code 1 after Escape)"
exit 0
