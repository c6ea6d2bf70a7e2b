# The packer's checks under Wine, sourced by scripts/windows-check.sh (which provides say, pass,
# fail, show, $work, $linux, $packer_exe, $record, ensure_linux, ensure_wine and programs_ready).

# The golden cases with the Linux packer, then packer.exe; each case's directory stays in
# $work/golden/KIND, the report in golden-KIND.log.
step_packer_golden() {
  programs_ready || { fail "packer-golden: packer.exe and demo.exe are not built"; return; }
  ensure_linux || { fail "packer-golden: no Linux build"; return; }
  ensure_wine || { fail "packer-golden: no Wine"; return; }
  local kind log program settings
  for kind in linux windows; do
    log=$work/golden-$kind.log program="the Linux packer" settings=(BRUMAL_GOLDEN_KEEP="$work/golden/$kind")
    [ "$kind" = windows ] && program="packer.exe under Wine" settings+=(BRUMAL_PACKER_EXE="$packer_exe")
    [ "$record" = 1 ] && settings+=(BRUMAL_RECORD_GOLDEN=1)
    mkdir -p "$work/golden/$kind"
    if env "${settings[@]}" "$linux/bin/PackerGoldenTest" > "$log" 2>&1; then
      pass "packer-golden: $program, $(grep -c '^\[       OK \]' "$log") cases of tests/packer/golden-cases.txt"
    else
      fail "packer-golden: $program differs from tests/packer/golden-cases.txt in:" \
        "$(sed -n 's|^\[  FAILED  \] Table/PackerGolden.Case/\([a-z_]*\),.*|\1|p' "$log" | tr '\n' ' ')"
      grep -v '^\[' "$log" | head -n 40 | sed 's/^/    | /'
    fi
  done
  [ "$record" = 1 ] && say "  rewrote tests/packer/golden-cases.txt from the runs: review the change"
}

# run_packer KIND ARG...: one run of the Linux packer or of packer.exe in the current directory,
# its output with CRLF read as LF.
run_packer() {
  if [ "$1" = linux ]; then
    "$linux/bin/packer" "${@:2}"
  else
    WINEDEBUG=-all wine "$packer_exe" "${@:2}" 2>>"$work/wine-packer.log" | sed 's/\r$//'
  fi
}

# cross_check NAME TREE ROOT LABEL: packs ROOT (a directory below TREE, its names listed in the
# same order on both platforms) with both programs, then each lists and unpacks the other's
# archive: byte-identical archives, reports and lists, and the packed tree comes back with lowered
# names.
cross_check() {
  local root=$3 dir=$work/cross/$1 problems=() kind other
  rm -rf "$dir"
  mkdir -p "$dir/expected"
  cp -a "$2/$root" "$dir/$root"
  cd "$dir" || return
  (cd "$root" && find . -type d | tr 'A-Z' 'a-z' | (cd ../expected && xargs mkdir -p))
  (cd "$root" && find . -type f) | while IFS= read -r f; do cp "$root/$f" "expected/$(tr 'A-Z' 'a-z' <<< "$f")"; done
  run_packer linux -p "$root" linux.pak > pack-linux.out
  run_packer windows -p "$root" windows.pak > pack-windows.out
  for kind in linux windows; do
    other=windows
    [ "$kind" = windows ] && other=linux
    run_packer "$kind" -l "$other.pak" "list-$kind.txt" > "list-$kind.out"
    mkdir "by-$kind"
    run_packer "$kind" -u "$other.pak" "by-$kind\\" > "unpack-$kind.out"
    diff -r expected "by-$kind/$(tr 'A-Z' 'a-z' <<< "$root")" > "diff-$kind.txt" 2>&1 || problems+=("$kind unpacked the other's archive wrongly")
  done
  cmp -s linux.pak windows.pak && cmp -s pack-linux.out pack-windows.out || problems+=("the archives or reports differ")
  tail -n 1 pack-windows.out | grep -qx 'All File Packed OK!' || problems+=("packer.exe did not pack")
  cmp -s <(sed 's/\r$//' list-windows.txt) list-linux.txt && cmp -s list-windows.out list-linux.out || problems+=("the lists differ")
  [ "$(grep -c . list-linux.txt)" -eq "$(cd "$root" && find . | wc -l)" ] || problems+=("the list misses entries")
  grep -q Failed unpack-*.out && problems+=("an unpacking run reported a failure")
  if [ ${#problems[@]} -eq 0 ]; then
    pass "packer-cross: $4: byte-identical archives ($(stat -c %s linux.pak) bytes, $(grep -c . list-linux.txt) entries); each program lists and unpacks the other's"
  else
    fail "packer-cross: $4: ${problems[*]}"
    show diff-windows.txt 5
    show diff-linux.txt 5
  fi
  cd - > /dev/null
}

step_packer_cross() {
  programs_ready || { fail "packer-cross: packer.exe and demo.exe are not built"; return; }
  ensure_linux || { fail "packer-cross: no Linux build"; return; }
  ensure_wine || { fail "packer-cross: no Wine"; return; }
  cross_check data-set "$linux/bin" data "the demo's data set"
  # A nested tree of a few hundred files, zero-length ones and "%" in names among them, in small
  # letters, so that both platforms list it in the same order.
  local tree=$work/cross-tree d f
  rm -rf "$tree"
  for d in data data/sub1 data/sub1/sub2 data/sub3 data/sub3/sub4/sub5; do
    mkdir -p "$tree/$d"
    for f in $(seq 1 69); do head -c $((f * 37 % 3000 * (f % 5 != 0))) /dev/urandom > "$tree/$d/f$f%.bin"; done
  done
  cross_check tree "$tree" data "a nested tree of 351 entries"
}
