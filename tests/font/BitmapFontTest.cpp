// Bitmap font: what a refused load leaves, glyph numbering for one- and two-byte characters, pen
// advance, the line budget counted in bytes, wrapping past the right edge, rows outside the
// buffer, glyphs the data does not fully hold, and formatted text.
#include "font/BitmapFont.h"

#include "archive/FileLoader.h"
#include "archive/LittleEndian.h"
#include "tests/support/GuardedDisplay.h"
#include "tests/support/MemorySource.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

constexpr int32_t W = 120;
constexpr int32_t H = 60;
constexpr uint8_t kInk = 0x5C;
constexpr uint32_t kGlyphs = 12601;  // through the two-byte characters B0 A1 to B0 B8

// Row k of glyph g: different for every glyph and row, never empty.
uint16_t patternRow(uint32_t g, uint32_t k) {
  uint32_t h = (g + 1) * 0x9E3779B1u ^ (k + 1) * 0x85EBCA6Bu;
  return static_cast<uint16_t>((h ^ (h >> 16)) | 1u);
}

// A font file written byte by byte, of `words` glyph words (16 a glyph) whose header announces
// `count` of them.
std::vector<uint8_t> fontFile(uint8_t cellWidth, uint8_t glyphSize, uint32_t words, int64_t count = -1) {
  std::vector<uint8_t> file = {0x46, 0x47, 0xAA, 0xBB, cellWidth, glyphSize, 0xCC, 0xDD, 0, 0, 0, 0};
  writeLe32(&file[8], count < 0 ? words : static_cast<uint32_t>(count));
  file.resize(12 + 2 * words);
  for (uint32_t i = 0; i < words; ++i) writeLe16(&file[12 + 2 * i], patternRow(i / 16, i % 16));
  return file;
}

struct Glyph {
  uint32_t glyph;
  int64_t x, y;
  int32_t columns;
};

// The picture of the glyphs' set bits, positions counted on the whole buffer so that columns
// past the right edge land on the next row and rows outside are dropped.
std::vector<uint8_t> picture(const std::vector<Glyph>& glyphs) {
  std::vector<uint8_t> pixels(W * H, 0xEE);
  for (const Glyph& g : glyphs) {
    for (int64_t k = 0; k < 16; ++k) {
      for (int64_t l = 0; l < g.columns; ++l) {
        const int64_t p = (g.y + k) * W + g.x + l;
        if ((patternRow(g.glyph, k) >> l) & 1 && p >= 0 && p < W * H) pixels[p] = kInk;
      }
    }
  }
  return pixels;
}

class BitmapFontTest : public ::testing::Test {
protected:
  bool load(BitmapFont& font, const std::vector<uint8_t>& file) {
    source.files["data\\font"] = file;
    return font.load(loader, "data\\font");
  }
  MemorySource source;
  FileLoader loader{&source};
  GuardedDisplay frame{W, H, 0xEE};
};

TEST_F(BitmapFontTest, RefusalsKeepTheGlyphsHeldAndTheirBounds) {
  BitmapFont font;
  font.drawText(frame.display, 0, 0, 10, kInk, "ABC");  // no glyphs yet
  ASSERT_TRUE(load(font, fontFile(16, 16, 66 * 16)));
  EXPECT_EQ(font.header[0], 0xBBAA4746u);
  EXPECT_EQ(font.header[1], 0xDDCC1010u);
  EXPECT_EQ(font.glyphs[65 * 16 + 15], patternRow(65, 15));
  const uint16_t* glyphs = font.glyphs;
  std::vector<uint8_t> swapped = fontFile(16, 16, 32);
  std::swap(swapped[0], swapped[1]);
  EXPECT_FALSE(load(font, swapped));
  EXPECT_EQ(font.header[0] & 0xFFFF, 0x4647u);  // the header is copied before the checks
  EXPECT_FALSE(load(font, {0x46, 0x47, 0, 0, 16, 16, 0, 0, 1, 0, 0}));
  EXPECT_FALSE(load(font, fontFile(16, 16, 16, 17)));
  // Short data after a header announcing a whole two-byte font: the bounds stay those held.
  EXPECT_FALSE(load(font, fontFile(16, 16, 16, 32896 * 16)));
  EXPECT_FALSE(font.load(loader, "data\\missing"));
  EXPECT_EQ(font.glyphs, glyphs);
  font.drawText(frame.display, 3, 2, 10, kInk,
                "\xB0\xA1"
                "A");  // glyph 12577 lies past the data
  EXPECT_EQ(frame.pixels(), picture({{'A', 3 + 17, 2, 8}}));
  EXPECT_TRUE(frame.bandsIntact());
}

TEST_F(BitmapFontTest, DrawsCharactersAlongLinesOfABudgetOfBytesInsideTheBuffer) {
  const struct {
    int32_t x, y, budget;
    const char* text;
    std::vector<Glyph> glyphs;
    uint8_t cellWidth = 16, glyphSize = 16;
    uint32_t words = kGlyphs * 16;
  } cases[] = {
      {5, 4, 10, "AB", {{'A', 5, 4, 8}, {'B', 14, 4, 8}}},
      {2, 1, 10, "\xB0\xA1\xB0\xA2", {{12577, 2, 1, 16}, {12578, 19, 1, 16}}},
      {0, 0, 10, "\xB0", {{12416, 0, 0, 16}}},  // a lone lead byte ends the text
      {0, 0, 10, "a\nb", {{'a', 0, 0, 8}, {'\n', 9, 0, 8}, {'b', 18, 0, 8}}},
      // A two-byte character may start on the last byte of the budget.
      {0,
       0,
       3,
       "ab\xB0\xA1"
       "cd",
       {{'a', 0, 0, 8}, {'b', 9, 0, 8}, {12577, 18, 0, 16}, {'c', 0, 18, 8}, {'d', 9, 18, 8}}},
      // Single-byte: 5 columns, advance 6; two-byte: 16 columns (no bits beyond), lines 22 apart.
      {1, 0, 3, "x\xB0\xA1y", {{'x', 1, 0, 5}, {12577, 7, 0, 16}, {'y', 1, 22, 5}}, 11, 20},
      {W - 4, 10, 10, "\xB0\xA1", {{12577, W - 4, 10, 16}}},  // columns 4 to 15 wrap onto the next rows
      {20, -8, 10, "Q", {{'Q', 20, -8, 8}}},                  // only rows 8 to 15
      {W - 3, H - 2, 10, "W\xB0\xA1", {{'W', W - 3, H - 2, 8}, {12577, W + 6, H - 2, 16}}},
      {-20, H - 1, 10, "W\xB0\xA1", {{'W', -20, H - 1, 8}, {12577, -11, H - 1, 16}}},
      {INT_MAX - 3, 0, 10, "W\xB0\xA1", {{'W', INT_MAX - 3, 0, 8}, {12577, INT_MAX + 6LL, 0, 16}}},
      {0, INT_MAX, 10, "W\xB0\xA1", {}},
      {INT_MIN, INT_MIN, 10, "W\xB0\xA1", {}},
      {0, 0, 10, "@A@\xB0\xA1", {{'@', 0, 0, 8}, {'@', 18, 0, 8}}, 16, 16, 65 * 16 + 8},  // glyph 65 cut short
      {0, 0, 0, "ABC", {}},
      {0, 0, -5, "ABC", {}},
      {0, 0, INT_MIN, "ABC", {}},
      {0, 0, 10, "", {}},
  };
  for (const auto& c : cases) {
    BitmapFont font;
    ASSERT_TRUE(load(font, fontFile(c.cellWidth, c.glyphSize, c.words)));
    frame.clear();
    font.drawText(frame.display, c.x, c.y, c.budget, kInk, c.text);
    EXPECT_EQ(frame.pixels(), picture(c.glyphs)) << c.text << " at " << c.x << ", " << c.y << " budget " << c.budget;
    EXPECT_TRUE(frame.bandsIntact());
  }
}

TEST_F(BitmapFontTest, FormattedTextBreaksAfterTenBytesAndIsCutAt1023) {
  BitmapFont font;
  ASSERT_TRUE(load(font, fontFile(16, 16, 128 * 16)));
  font.drawFormatted(frame.display, 3, 3, 10, kInk, "FPS=%d", 1234567);
  std::vector<Glyph> lines = {{'7', 3, 3 + 18, 8}};
  for (int i = 0; i < 10; ++i) lines.push_back({static_cast<uint8_t>("FPS=123456"[i]), 3 + 9 * i, 3, 8});
  EXPECT_EQ(frame.pixels(), picture(lines));
  // One-pixel glyphs two pixels apart on one long row: the 1023rd byte is the last drawn.
  GuardedDisplay row(4096, 1, 0xEE);
  std::vector<uint8_t> dotFont = fontFile(2, 16, 0, 128 * 16);
  dotFont.resize(dotFont.size() + 128 * 32);
  dotFont[12 + '.' * 32] = 1;  // glyph '.': one pixel, top-left
  ASSERT_TRUE(load(font, dotFont));
  font.drawFormatted(row.display, 0, 0, 4000, kInk, "%s", std::string(2000, '.').c_str());
  EXPECT_EQ(row.at(2 * 1022, 0), kInk);
  EXPECT_EQ(row.at(2 * 1023, 0), 0xEE);
}

}  // namespace
