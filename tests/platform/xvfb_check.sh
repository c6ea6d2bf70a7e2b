#!/usr/bin/env bash
# The demo in its SDL window on a private X server, checked as a person would: a window appears
# (covering the 1024 x 768 screen with --full-screen WxH, which runs it with FullScreen=1 at that
# size), the scene is drawn, the keys 1-4 hide and then show the layer groups, Escape ends it
# with exit code 1.
#   xvfb_check.sh [--full-screen WxH] DEMO [WORKDIR]   (WORKDIR, default DEMO's folder: data.pak)
# Exit status: 0 passed, 1 failed (a crash or a hang too), 77 skipped (Xvfb, xdotool or
# ImageMagick missing, no data.pak).
set -u
full_screen=""
if [ "${1:-}" = --full-screen ]; then full_screen=$2; shift 2; fi
[ $# -ge 1 ] || { echo "usage: xvfb_check.sh [--full-screen WxH] DEMO [WORKDIR]" >&2; exit 2; }
demo="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
workdir="${2:-$(dirname "$demo")}"
skip() { echo "xvfb_check: SKIP: $*"; exit 77; }
for tool in Xvfb xdotool import convert timeout; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
[ -x "$demo" ] || { echo "xvfb_check: FAIL: no program at $demo"; exit 1; }
[ -f "$workdir/data.pak" ] || skip "no data.pak in $workdir (build with BRUMAL_DATA=ON)"

tmp="$(mktemp -d)"
xvfb_pid="" demo_pid=""
# Ends a process this script started, by its id: politely, then for sure.
stop() {
  kill "$1" 2>/dev/null || return 0
  for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}
trap '[ -n "$demo_pid" ] && stop "$demo_pid"; [ -n "$xvfb_pid" ] && stop "$xvfb_pid"; rm -rf "$tmp"' EXIT
fail() {
  echo "xvfb_check: FAIL: $*"
  [ -s "$tmp/demo.log" ] && { echo "--- demo output ---"; cat "$tmp/demo.log"; }
  exit 1
}
if [ -n "$full_screen" ]; then
  mkdir "$tmp/run"
  ln -s "$(cd "$workdir" && pwd)/data.pak" "$tmp/run/data.pak"
  printf '[Window]\nFullScreen=1\nWidth=%s\nHeight=%s\n' "${full_screen%x*}" "${full_screen#*x}" >"$tmp/run/setting.ini"
  workdir="$tmp/run"
fi

# Xvfb picks a free display and writes its number to fd 3 once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] || ! kill -0 "$xvfb_pid" 2>/dev/null && break; sleep 0.1; done
[ -s "$tmp/display" ] || { cat "$tmp/xvfb.log"; skip "Xvfb did not start"; }
export DISPLAY=":$(head -n1 "$tmp/display")"
unset WAYLAND_DISPLAY

# A hung program (a message box nobody answers, a loop that never ends) meets the timeout.
(cd "$workdir" && exec timeout -k 5 120 "$demo" >"$tmp/demo.log" 2>&1) &
demo_pid=$!
window=""
for _ in $(seq 100); do
  window="$(xdotool search --onlyvisible --name '^test$' 2>/dev/null | head -n1)"
  [ -n "$window" ] || ! kill -0 "$demo_pid" 2>/dev/null && break
  sleep 0.1
done
[ -n "$window" ] || fail "no visible window titled \"test\" appeared"
[ -n "$full_screen" ] && sleep 1  # the switch to full screen follows the window's creation
eval "$(xdotool getwindowgeometry --shell "$window")"  # X, Y, WIDTH, HEIGHT
echo "xvfb_check: window $window at $X,$Y size ${WIDTH}x${HEIGHT} on $DISPLAY"
[ -z "$full_screen" ] || [ "$X,$Y,$WIDTH,$HEIGHT" = "0,0,1024,768" ] ||
  fail "full screen: the window is ${WIDTH}x${HEIGHT} at $X,$Y, not the whole screen"
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"

# Sets $lit to the largest share, per mille, of non-black window pixels in three shots 0.3 s
# apart (the sprites move, and may stand half outside), $colours to that shot's colour count.
# All four groups light some 5-10 % of a 640 x 480 window, the frame-rate line alone under 1 %.
shoot_three() {
  lit=-1 colours=0
  for n in 1 2 3; do
    import -window root "$tmp/$1-$n.png" || fail "could not take a screenshot"
    kill -0 "$demo_pid" 2>/dev/null || fail "the demo ended before the screenshot $1"
    set -- "$1" $(convert "$tmp/$1-$n.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -format '%k ' -write info: \
      -fuzz 4% -fill white +opaque black -colorspace gray -format '%[fx:int(mean*1000+0.5)]' info:)
    [ "$3" -gt "$lit" ] && lit=$3 colours=$2
    sleep 0.3
  done
}
sleep 2  # the data loads, frames begin
shoot_three shown
shown_lit=$lit
echo "xvfb_check: all groups shown: ${shown_lit}‰ of the window lit, $colours colours"
[ "$colours" -ge 16 ] || fail "the window is uniform ($colours colours)"
[ "$shown_lit" -ge 20 ] || fail "the window is nearly all black (${shown_lit}‰ lit)"
xdotool key --delay 50 1 2 3 4
sleep 1
shoot_three hidden
echo "xvfb_check: all groups hidden: ${lit}‰ of the window lit"
[ "$lit" -le 10 ] && [ $((lit * 3)) -lt "$shown_lit" ] || fail "keys 1-4 did not hide the layer groups (${lit}‰ lit)"
xdotool key --delay 50 1 2 3 4
sleep 1
shoot_three again
echo "xvfb_check: groups shown again: ${lit}‰ of the window lit"
[ "$lit" -ge 20 ] || fail "keys 1-4 did not show the layer groups again (${lit}‰ lit)"

xdotool key Escape
for _ in $(seq 100); do kill -0 "$demo_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$demo_pid" 2>/dev/null && fail "the demo did not end within 10 s of Escape"
wait "$demo_pid"
status=$?
demo_pid=""
[ "$status" -eq 1 ] || fail "exit code $status after Escape, expected 1"
echo "xvfb_check: PASS (exit code 1 after Escape)"
