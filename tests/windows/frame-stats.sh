#!/usr/bin/env bash
# Colour codes in a region of a picture of the demo (a screenshot of a 16-bit X screen, or a
# headless frame). Both hold 16-bit RGB565 words widened to 8 bits per channel by bit
# replication, so the top 5, 6 and 5 bits give the word back; the display shows colour code c as
# the word c * 0x101, so a word whose two bytes are equal is the code of that byte.
#   frame-stats.sh summary IMAGE WxH+X+Y   "LIT WORDS CODES": the lit share of the region and the
#                                           share of lit pixels that are code words, per mille;
#                                           the number of different codes
#   frame-stats.sh codes IMAGE WxH+X+Y     "CODE COUNT" lines for the lit code-word pixels
set -euo pipefail
mode=$1 image=$2 geometry=$3

convert "$image" -alpha off -crop "$geometry" +repage -depth 8 -format %c histogram:info:- |
  awk -v mode="$mode" '
    {
      count = $1; sub(":", "", count)
      rgb = $0; sub(/^[^(]*\(/, "", rgb); sub(/\).*/, "", rgb); split(rgb, c, ",")
      word = int(c[1] / 8) * 2048 + int(c[2] / 4) * 32 + int(c[3] / 8)
      total += count
      if (word == 0) next
      lit += count
      if (int(word / 256) == word % 256) { words += count; codes[word % 256] += count }
    }
    END {
      if (mode == "codes") {
        for (code in codes) print code, codes[code]
      } else {
        n = 0
        for (code in codes) n++
        printf "%d %d %d\n", total ? int(lit * 1000 / total) : 0, lit ? int(words * 1000 / lit) : 0, n
      }
    }'
