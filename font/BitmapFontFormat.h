/// @file
/// The bitmap font file's header.
#pragma once

#include "archive/LittleEndian.h"

#include <cstdint>

/// The bitmap font file: a 12-byte little-endian header, then wordCount 16-bit glyph rows.
/// @verbatim
///   0  magic 0x4746 (the bytes "FG")   4  cellWidth   6  two free bytes
///   2  two free bytes                   5  glyphSize   8  wordCount
/// @endverbatim
/// A glyph is 16 row words, top row first; bit l of a row is column l (bit 0 the leftmost pixel).
/// Glyphs 0 to 127 are the single-byte characters, then one block of 256 per lead byte from 0x80.
struct BitmapFontHeader {
  static constexpr int32_t kSize = 12;              ///< bytes of the header
  static constexpr uint16_t kMagic = 0x4746;        ///< the bytes "FG" read as one word
  static constexpr int32_t kGlyphRows = 16;         ///< row words per glyph
  static constexpr uint32_t kFirstLeadByte = 0x80;  ///< the lowest lead byte of a two-byte character
  /// Glyphs of a font that covers every lead byte.
  static constexpr uint32_t kFullGlyphCount = 128 + 128 * 256;

  uint16_t magic = kMagic;  ///< kMagic in a font file
  uint8_t cellWidth = 0;    ///< a two-byte character advances by cellWidth + 1, a single byte by cellWidth / 2 + 1
  uint8_t glyphSize = 0;    ///< columns drawn of a two-byte character; lines are glyphSize + 2 apart
  uint32_t wordCount = 0;   ///< 16-bit glyph rows after the header

  /// The header in the 12 bytes at in, as stored (nothing is checked).
  static BitmapFontHeader read(const uint8_t in[kSize]) {
    BitmapFontHeader header;
    header.magic = readLe16(in);
    header.cellWidth = in[4];
    header.glyphSize = in[5];
    header.wordCount = readLe32(in + 8);
    return header;
  }

  /// Writes the header's 12 bytes into out; the free bytes are written as zero.
  void write(uint8_t out[kSize]) const {
    writeLe16(out, magic);
    writeLe16(out + 2, 0);
    out[4] = cellWidth;
    out[5] = glyphSize;
    writeLe16(out + 6, 0);
    writeLe32(out + 8, wordCount);
  }

  /// The glyph of the two-byte character lead, trail (lead 0x80 or more).
  static constexpr uint32_t twoByteGlyph(uint32_t lead, uint32_t trail) {
    return 128 + (lead - kFirstLeadByte) * 256 + trail;
  }
};
