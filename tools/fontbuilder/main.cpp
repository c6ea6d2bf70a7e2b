// fontbuilder: makes the engine's 16 x 16 GBK bitmap font from GNU Unifont's hex file.
//   fontbuilder unifont.hex songti16x16.font
//
// Glyph g of the font is single-byte character g for g < 128, and the two-byte character with
// lead byte L and trail byte T for g = 128 + (L - 0x80) * 256 + T. Single-byte characters take
// Unifont's glyphs of U+0020..U+007E (control characters stay blank); each two-byte pair that is a
// GBK character takes the glyph of its Unicode code point, a narrow one placed at the left; pairs
// that are not GBK, or whose character Unifont lacks, stay blank.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "font/UnifontHex.h"
#include "platform/gbk/GbkCodec.h"
#include "tools/bdi/AtomicFile.h"

namespace {

constexpr uint16_t kFontMagic = 0x4746;  // bytes "FG"
constexpr int kCellWidth = 16;
constexpr int kGlyphSize = 16;
constexpr int kGlyphCount = 128 + 128 * 256;
constexpr uint32_t kWordCount = kGlyphCount * 16;

// Font rows have the leftmost pixel in bit 0; Unifont rows in the glyph's top bit.
uint16_t fontRow(uint16_t hexRow, int width) {
  uint16_t row = 0;
  for (int column = 0; column < width; ++column) {
    if (hexRow & (1u << (width - 1 - column))) {
      row = static_cast<uint16_t>(row | (1u << column));
    }
  }
  return row;
}

void putGlyph(std::vector<uint8_t>& font, size_t glyphIndex, const UnifontHex::Glyph& glyph) {
  const size_t base = 12 + glyphIndex * 32;
  for (int row = 0; row < 16; ++row) {
    const uint16_t word = fontRow(glyph.rows[row], glyph.width);
    font[base + row * 2] = static_cast<uint8_t>(word);
    font[base + row * 2 + 1] = static_cast<uint8_t>(word >> 8);
  }
}

}  // namespace

static int run(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: fontbuilder unifont.hex output.font\n");
    return 2;
  }
  std::string error;
  UnifontHex unifont;
  if (!unifont.load(argv[1], error)) {
    std::fprintf(stderr, "fontbuilder: %s\n", error.c_str());
    return 1;
  }
  const GbkCodec gbk;
  if (!gbk.available()) {
    std::fprintf(stderr, "fontbuilder: this system's iconv has no GBK converter\n");
    return 1;
  }

  std::vector<uint8_t> font(12 + size_t{kWordCount} * 2, 0);
  font[0] = static_cast<uint8_t>(kFontMagic & 0xFF);
  font[1] = static_cast<uint8_t>(kFontMagic >> 8);
  font[4] = kCellWidth;
  font[5] = kGlyphSize;
  for (int i = 0; i < 4; ++i) {
    font[8 + i] = static_cast<uint8_t>(kWordCount >> (8 * i));
  }

  int singleByte = 0;
  for (uint32_t c = 0x20; c < 0x7F; ++c) {
    if (const UnifontHex::Glyph* glyph = unifont.find(c)) {
      putGlyph(font, c, *glyph);
      ++singleByte;
    }
  }
  int pairs = 0;
  int missing = 0;
  for (int lead = 0x80; lead <= 0xFF; ++lead) {
    for (int trail = 0; trail <= 0xFF; ++trail) {
      uint32_t codePoint = 0;
      if (!gbk.toCodePoint(static_cast<uint8_t>(lead), static_cast<uint8_t>(trail), codePoint)) {
        continue;
      }
      ++pairs;
      const UnifontHex::Glyph* glyph = unifont.find(codePoint);
      if (glyph == nullptr) {
        ++missing;
        continue;
      }
      putGlyph(font, 128 + static_cast<size_t>(lead - 0x80) * 256 + trail, *glyph);
    }
  }

  if (!AtomicFile::writeAll(argv[2], font, error)) {
    std::fprintf(stderr, "fontbuilder: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s: %d glyphs: %d single-byte, %d GBK pairs (%d without a Unifont glyph, left blank)\n", argv[2],
              kGlyphCount, singleByte, pairs, missing);
  return 0;
}

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {  // out of memory, mostly
    std::fprintf(stderr, "fontbuilder: %s\n", e.what());
    return 1;
  }
}
