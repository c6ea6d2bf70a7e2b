# The demo's checks under Wine, sourced by scripts/windows-check.sh (which provides say, pass,
# fail, show, $work, $tests, $linux, $demo_exe, $display16, $display24, start_xvfb, wine_registry,
# ensure_linux, ensure_wine and programs_ready):
#   demo-windowed    in a window on a 16-bit X screen
#   demo-fullscreen  full screen inside a Wine virtual desktop
#   demo-depth       windowed on a 24-bit X screen, in a non-Chinese locale: the depth message
#                    box, whose text must reach Windows as the right Unicode characters

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

start_demo() {  # DIR DISPLAY LOG [VARIABLE=VALUE...]
  (cd "$1" && DISPLAY=:$2 exec env "${@:4}" wine demo.exe) >"$3" 2>&1 &
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

[HKEY_CURRENT_USER\Software\Wine\Debug]
"RelayInclude"="user32.MessageBoxA;user32.MessageBoxW"
EOF
  [ $? -eq 0 ] || { fail "demo-depth: cannot write Wine's registry"; return; }
  local dir=$work/demo-depth box status=
  demo_folder "$dir" 0
  # The C locale gives Wine code page 1252, where GBK bytes handed to MessageBoxA are garbled.
  # Wine's relay log of the message-box calls shows the text the program hands to Windows.
  start_demo "$dir" "$display24" "$dir/wine.log" LC_ALL=C LANG=C WINEDEBUG=fixme-all,+relay
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
  # "您的桌面不是16位色的，不能在窗口模式下运行" as Wine logs UTF-16 text.
  local text='L"\60a8\7684\684c\9762\4e0d\662f16\4f4d\8272\7684\ff0c\4e0d\80fd\5728\7a97\53e3\6a21\5f0f\4e0b\8fd0\884c"'
  if ! grep 'Call user32.MessageBoxW(' "$dir/wine.log" | grep -qF "$text"; then
    fail "demo-depth: the box's text did not reach MessageBoxW as those characters"
    grep 'Call user32.MessageBox' "$dir/wine.log" | head -3 | sed 's/^/    | /'
  elif [ "$status" = 1 ]; then
    pass "demo-depth: 24-bit screen, C locale: the depth message in Chinese, dismissed, then exit code 1"
  else
    fail "demo-depth: after the depth box the exit code is ${status:-missing (still running)}, not 1"
    show "$dir/wine.log" 8
    stop_demo
  fi
}
