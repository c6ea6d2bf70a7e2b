# The demo's checks under Wine, sourced by scripts/windows-check.sh (which provides say, pass,
# fail, show, $work, $linux, $demo_exe, $display16, $display24, start_xvfb, wine_registry,
# ensure_linux, ensure_wine and programs_ready):
#   demo-windowed    in a window on a 16-bit X screen
#   demo-fullscreen  full screen inside a Wine virtual desktop
#   demo-depth       windowed on a 24-bit X screen, in a non-Chinese locale: the depth message
#                    box, whose text must reach Windows as the right Unicode characters

# frame_stats summary|codes IMAGE WxH+X+Y: a screenshot of a 16-bit screen and a headless frame
# both hold RGB565 words widened by bit replication, so the top 5, 6 and 5 bits give the word
# back, and a word whose two bytes are equal is colour code c shown as c * 0x101. "summary" prints
# "LIT WORDS CODES": the lit share of the region and the share of lit pixels that are code words,
# per mille, and the number of different codes; "codes" prints "CODE COUNT" for the lit codes.
frame_stats() {
  convert "$2" -alpha off -crop "$3" +repage -depth 8 -format %c histogram:info:- | awk -v mode="$1" '
    { count = $1; sub(":", "", count)
      rgb = $0; sub(/^[^(]*\(/, "", rgb); sub(/\).*/, "", rgb); split(rgb, c, ",")
      word = int(c[1] / 8) * 2048 + int(c[2] / 4) * 32 + int(c[3] / 8)
      total += count
      if (word == 0) next
      lit += count
      if (int(word / 256) == word % 256) { words += count; codes[word % 256] += count } }
    END { n = 0
      for (code in codes) { n++; if (mode == "codes") print code, codes[code] }
      if (mode != "codes") printf "%d %d %d\n", total ? int(lit * 1000 / total) : 0, lit ? int(words * 1000 / lit) : 0, n }'
}

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
  reference_lit=0
  for frames in 150 400 700 1000 1300 1600 1900 2200 2500 2800; do
    (cd "$dir" && "$linux/bin/demo" --headless --frames "$frames" --fixed-fps 1000 --screenshot "frame-$frames.png") >>"$dir/demo.log" 2>&1
    [ -s "$dir/frame-$frames.png" ] || { say "the Linux demo cannot draw a headless frame"; show "$dir/demo.log"; return 1; }
    frame_stats codes "$dir/frame-$frames.png" 640x480+0+0 >> "$dir/codes.txt"
    set -- $(frame_stats summary "$dir/frame-$frames.png" 640x480+0+0)
    [ "$1" -gt "$reference_lit" ] && reference_lit=$1
  done
  awk '{print $1}' "$dir/codes.txt" | sort -un > "$dir/union.txt"
  reference_ready=0
}

# check_scene IMAGE GEOMETRY: the window region of a screenshot shows the scene: nearly all lit
# pixels are code words, nearly all of their codes occur in the headless frames, and the lit
# share is that of sprites on black (they move, so no one headless frame is the picture). Adds
# what is wrong to $problems and sets $scene_summary.
check_scene() {
  local lit words codes inside
  read -r lit words codes < <(frame_stats summary "$1" "$2")
  inside=$(frame_stats codes "$1" "$2" | awk 'NR == FNR {known[$1] = 1; next}
    {all += $2; if ($1 in known) hit += $2} END {print all ? int(hit * 1000 / all) : 0}' "$work/reference/union.txt" -)
  [ "$lit" -ge 10 ] || problems+=("only $lit per mille of the window is lit")
  [ "$lit" -le $((reference_lit * 2)) ] || problems+=("$lit per mille is lit, the headless frames at most $reference_lit")
  [ "$words" -ge 950 ] || problems+=("only $words per mille of the lit pixels are colour codes")
  [ "$codes" -ge 20 ] || problems+=("only $codes different codes")
  [ "$inside" -ge 900 ] || problems+=("only $inside per mille of the lit pixels have codes of the headless frames")
  scene_summary="lit $lit/1000 (headless up to $reference_lit), $codes codes, code words $words/1000, known codes $inside/1000"
}

# start_demo DIR FULLSCREEN DISPLAY [VARIABLE=VALUE...]: demo.exe, data.pak and setting.ini in
# DIR, the demo started there; its output in DIR/wine.log.
start_demo() {
  rm -rf "$1" && mkdir -p "$1" && cp "$demo_exe" "$linux/bin/data.pak" "$1/"
  printf '[Window]\r\nFullScreen=%d\r\nWidth=640\r\nHeight=480\r\n' "$2" > "$1/setting.ini"
  (cd "$1" && DISPLAY=:$3 exec env "${@:4}" wine demo.exe) >"$1/wine.log" 2>&1 &
  demo_pid=$!
}

# find_window DISPLAY NAME SECONDS: the id of the first window of that exact name, in REPLY.
find_window() {
  local i
  for ((i = 0; i < $3 * 5; i++)); do
    REPLY=$(DISPLAY=:$1 xdotool search --name "^$2\$" 2>/dev/null | head -n 1)
    [ -n "$REPLY" ] && return 0
    kill -0 "$demo_pid" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}

# wait_demo SECONDS: waits for demo.exe to end; its exit code in REPLY, empty (and the demo
# stopped) when it did not end.
wait_demo() {
  local i
  REPLY=
  for ((i = 0; i < $1 * 5; i++)); do
    kill -0 "$demo_pid" 2>/dev/null || { wait "$demo_pid"; REPLY=$?; demo_pid=; return; }
    sleep 0.2
  done
  wineserver -k >/dev/null 2>&1
  wait "$demo_pid" 2>/dev/null
  demo_pid=
}

# demo_ready NAME RENDERER DESKTOP [REGISTRY LINES]: the programs, the Linux build and Wine with
# that renderer and virtual desktop ("-": none).
demo_ready() {
  local name=$1 renderer=$2 desktop=$3
  shift 3
  programs_ready || { fail "$name: packer.exe and demo.exe are not built"; return 1; }
  ensure_linux || { fail "$name: no Linux build"; return 1; }
  ensure_wine || { fail "$name: no Wine"; return 1; }
  [ "$desktop" = - ] && desktop=- || desktop='"Default"'
  printf '%s\n' '[HKEY_CURRENT_USER\Software\Wine\Direct3D]' "\"renderer\"=\"$renderer\"" '' \
    '[HKEY_CURRENT_USER\Software\Wine\Explorer]' "\"Desktop\"=$desktop" '' "$@" | wine_registry ||
    { fail "$name: cannot write Wine's registry"; return 1; }
}

# demo_scene_step NAME LABEL FULLSCREEN: runs demo.exe, screenshots the X screen after a few
# seconds of frames, checks the scene, sends Escape and checks the exit code.
demo_scene_step() {
  local name=$1 dir=$work/$1 full=$3 window geometry desktop= problems=()
  ensure_reference || { fail "$name: no headless reference frames"; return; }
  start_demo "$dir" "$full" "$display16"
  if ! find_window "$display16" test 60; then
    fail "$name: the demo's window did not appear"
    show "$dir/wine.log"
    wait_demo 0
    return
  fi
  window=$REPLY
  sleep 4
  DISPLAY=:$display16 xdotool search --name '^(ERROR|Error)$' >/dev/null 2>&1 && problems+=("an error box is shown")
  eval "$(DISPLAY=:$display16 xdotool getwindowgeometry --shell "$window")"
  geometry=${WIDTH}x${HEIGHT}+${X}+${Y}
  import -display ":$display16" -window root "$dir/screenshot.png"
  # Full screen switched the (virtual) desktop to 640 x 480.
  if [ "$full" = 1 ] && find_window "$display16" 'Default - Wine desktop' 1; then
    eval "$(DISPLAY=:$display16 xdotool getwindowgeometry --shell "$REPLY")"
    desktop="${WIDTH}x${HEIGHT}"
  fi
  DISPLAY=:$display16 xdotool key --window "$window" Escape 2>/dev/null
  wait_demo 30
  check_scene "$dir/screenshot.png" "$geometry"
  [ "$full" = 0 ] || [ "$desktop" = 640x480 ] || problems+=("the desktop is ${desktop:-missing}, not the 640x480 mode")
  [[ $geometry == 640x480+* ]] || problems+=("the window is $geometry, not 640x480")
  [ "$REPLY" = 1 ] || problems+=("exit code ${REPLY:-missing (it did not end)} after Escape, not 1")
  if [ ${#problems[@]} -eq 0 ]; then
    pass "$name: $2: window $geometry, $scene_summary; Escape, exit code 1"
  else
    fail "$name: $2 (screenshot: $dir/screenshot.png)"
    printf '    - %s\n' "${problems[@]}"
    show "$dir/wine.log" 8
  fi
}

# Wine's DirectDraw over its GDI renderer: Xvfb's OpenGL cannot present a 16-bit window.
step_demo_windowed() {
  demo_ready demo-windowed gdi - && demo_scene_step demo-windowed "windowed on a 16-bit screen" 0
}

# A virtual desktop can change its mode; the flipping chain in video memory needs the OpenGL
# renderer (the GDI one has no video memory).
step_demo_fullscreen() {
  demo_ready demo-fullscreen gl Default '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' '"Default"="1024x768"' &&
    demo_scene_step demo-fullscreen "full screen in a virtual desktop" 1
}

step_demo_depth() {
  demo_ready demo-depth gdi - '[HKEY_CURRENT_USER\Software\Wine\Debug]' \
    '"RelayInclude"="user32.MessageBoxA;user32.MessageBoxW"' || return
  if [ -z "$display24" ]; then
    start_xvfb 24 || { fail "demo-depth: cannot start Xvfb with a 24-bit screen"; show "$work/xvfb-24.log"; return; }
    display24=$REPLY
  fi
  local dir=$work/demo-depth box
  # The C locale gives Wine code page 1252, where GBK bytes handed to MessageBoxA are garbled.
  # Wine's relay log of the message-box calls shows the text the program hands to Windows.
  start_demo "$dir" 0 "$display24" LC_ALL=C LANG=C WINEDEBUG=fixme-all,+relay
  if ! find_window "$display24" ERROR 60; then
    fail "demo-depth: no box captioned ERROR appeared on the 24-bit screen"
    show "$dir/wine.log"
    wait_demo 0
    return
  fi
  box=$REPLY
  sleep 1
  kill -0 "$demo_pid" 2>/dev/null || { fail "demo-depth: the demo ended while its box was still up"; return; }
  # The box closes on the key press, so the release may find no window: X says so on stderr.
  DISPLAY=:$display24 xdotool key --window "$box" Return 2>/dev/null
  wait_demo 30
  # "您的桌面不是16位色的，不能在窗口模式下运行" as Wine logs UTF-16 text.
  local text='L"\60a8\7684\684c\9762\4e0d\662f16\4f4d\8272\7684\ff0c\4e0d\80fd\5728\7a97\53e3\6a21\5f0f\4e0b\8fd0\884c"'
  if ! grep 'Call user32.MessageBoxW(' "$dir/wine.log" | grep -qF "$text"; then
    fail "demo-depth: the box's text did not reach MessageBoxW as those characters"
    grep 'Call user32.MessageBox' "$dir/wine.log" | head -3 | sed 's/^/    | /'
  elif [ "$REPLY" = 1 ]; then
    pass "demo-depth: 24-bit screen, C locale: the depth message in Chinese, dismissed, then exit code 1"
  else
    fail "demo-depth: after the depth box the exit code is ${REPLY:-missing (still running)}, not 1"
    show "$dir/wine.log" 8
  fi
}
