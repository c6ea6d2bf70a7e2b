# The packer's golden cases as shell functions, run alike by the Linux packer and by packer.exe
# under Wine (sourced by packer-check.sh). Every case builds its input in the current
# directory and runs the program; the runner records each run's standard output and exit status,
# and at the end every file and directory left behind, in a transcript that is compared with the
# recorded one in tests/windows/packer-golden/<case>.txt.
#
# A case uses:
#   fx NAME [ARG]        an input made by fixtures.pl
#   run ARG...           one run of the program under test in the current directory
#   run_in DIR ARG...    the same in a subdirectory
#   snap DIR             the tree below DIR, as it is at this point, into the transcript
# Cases that need POSIX file kinds or permissions (links, pipes, unreadable files) stay with the
# GoogleTest golden tests: the Windows program does not meet them.

packer_cases=(
  usage unknown_command capital_commands
  pack_empty_directory pack_one_file pack_files_before_subdirectories pack_mixed_case_names
  pack_trailing_backslash pack_missing_root pack_uncreatable_archive pack_name_order
  pack_long_paths pack_growing_file
  list_sorted list_empty_root list_failures
  unpack_progress unpack_prefixes unpack_uncreatable_files unpack_missing_or_foreign
  unpack_hostile_names
  damage_truncated damage_lying_counts
  round_trip
)

case_usage() {
  run
  run -p data
  run -p data data.pak extra
}

case_unknown_command() {
  run -x a b
  run p a b
}

case_capital_commands() {
  fx sample_tree
  run -P data data.pak
  run -L data.pak list.txt
  mkdir out
  run -U data.pak 'out\'
}

case_pack_empty_directory() {
  mkdir data
  run -p data data.pak
}

case_pack_one_file() {
  mkdir data
  printf 12345 > data/tile02.bdi
  run -p data data.pak
}

case_pack_files_before_subdirectories() {
  fx sample_tree
  run -p data data.pak
}

case_pack_mixed_case_names() {
  fx mixed_case_tree
  run -p DATA data.pak
}

case_pack_trailing_backslash() {
  mkdir data
  printf 1 > data/a
  run -p 'data\' data.pak
}

case_pack_missing_root() {
  run -p nothere data.pak
}

case_pack_uncreatable_archive() {
  mkdir data
  run -p data 'no\such\dir.pak'
}

case_pack_name_order() {
  fx name_order_tree
  run -p data one.pak
  run -p data two.pak
}

case_pack_long_paths() {
  fx long_paths
  run -p data good.pak
  run -p long bad.pak
}

case_pack_growing_file() {
  fx self_tree
  run -p data 'data\self.pak'
  run -l 'data\self.pak' list.txt
}

case_list_sorted() {
  fx sample_tree
  fx sample_archive
  run -l data.pak list.txt
}

case_list_empty_root() {
  fx empty_root_archive
  run -l e.pak list.txt
}

case_list_failures() {
  fx sample_archive
  fx foreign_archive
  run -l none.pak list.txt
  run -l not.pak list.txt
  run -l data.pak 'no\such\list.txt'
}

case_unpack_progress() {
  fx sample_archive
  mkdir out
  run -u data.pak 'out\'
  printf 'changed and longer' > out/data/tile02.bdi
  run -u data.pak 'out\'
}

case_unpack_prefixes() {
  fx sample_archive
  run -u data.pak out
  mkdir here
  (cd here && fx sample_archive)
  run_in here -u data.pak ''
}

case_unpack_uncreatable_files() {
  fx sample_archive
  run -u data.pak 'missing\'
}

case_unpack_missing_or_foreign() {
  fx foreign_archive
  run -u none.pak out
  run -u not.pak out
}

case_unpack_hostile_names() {
  fx hostile_archive
  mkdir box/out
  run_in box -u h.pak 'out\'
}

case_damage_truncated() {
  local length
  for length in 0 3 15 16 17 100 143 144 145 271 272 273 276 277 278 404 405 406 532 533 534 535; do
    fx cut_archive "$length"
    mkdir -p out
    run -u cut.pak 'out\'
    snap out
    run -l cut.pak list.txt
    snap .
  done
}

case_damage_lying_counts() {
  local name
  fx lying_archives
  mkdir out
  for name in subs.pak far.pak deep.pak name.pak back.pak; do
    run -u "$name" 'out\'
  done
}

case_round_trip() {
  fx round_trip_tree
  run -p Data data.pak
  run -l data.pak list.txt
  mkdir out
  run -u data.pak 'out\'
}
