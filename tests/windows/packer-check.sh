# The packer's checks under Wine, sourced by scripts/windows-check.sh (which provides say, pass,
# fail, show, $work, $tests, $linux, $packer_exe, ensure_linux, ensure_wine and programs_ready):
#   packer-golden  the golden cases of packer-cases.sh, run by the Linux packer and by packer.exe,
#                  against the transcripts in packer-golden/
#   packer-cross   archives of the same trees from both programs, listed and unpacked by the other

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
