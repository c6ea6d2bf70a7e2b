// Bitmap font: loading (what a refusal leaves), glyph numbering for one- and two-byte
// characters, pen advance, the line budget counted in bytes, wrapping past the right edge,
// rows outside the buffer, and glyphs the data does not fully hold.
#include "font/BitmapFont.h"

#include "archive/ByteBuffer.h"
#include "archive/FileLoader.h"
#include "archive/FileSource.h"
#include "display/Display.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

class MemorySource : public FileSource {
public:
  bool open(const std::string&) override { return true; }
  bool close() override { return true; }
  bool readFile(const std::string& name, ByteBuffer& buffer) override {
    auto found = files.find(name);
    if (found == files.end() || !buffer.resize(static_cast<int32_t>(found->second.size()))) {
      return false;
    }
    std::memcpy(buffer.data, found->second.data(), found->second.size());
    return true;
  }
  bool readFile(const std::string& name, uint8_t*& block, int32_t& size) override {
    auto found = files.find(name);
    if (found == files.end()) {
      return false;
    }
    size = static_cast<int32_t>(found->second.size());
    block = new uint8_t[found->second.size() + 1];
    std::memcpy(block, found->second.data(), found->second.size());
    return true;
  }

  std::map<std::string, std::vector<uint8_t>> files;
};

// Row k of glyph g in the test fonts: different for every glyph and row, never empty.
uint16_t patternRow(uint32_t g, int k) {
  uint32_t h = (g + 1) * 0x9E3779B1u ^ static_cast<uint32_t>(k + 1) * 0x85EBCA6Bu;
  h ^= h >> 16;
  return static_cast<uint16_t>(h | 1u);
}

struct FontFile {
  uint8_t cellWidth = 16;
  uint8_t glyphSize = 16;
  std::vector<uint16_t> words;  // glyph data
  int64_t wordCount = -1;       // header count; -1: the true count

  void addGlyphs(uint32_t count) {
    const uint32_t first = static_cast<uint32_t>(words.size() / 16);
    for (uint32_t g = first; g < first + count; ++g) {
      for (int k = 0; k < 16; ++k) {
        words.push_back(patternRow(g, k));
      }
    }
  }
  std::vector<uint8_t> bytes() const {
    std::vector<uint8_t> file = {0x46, 0x47, 0xAA, 0xBB, cellWidth, glyphSize, 0xCC, 0xDD};
    const uint32_t count = wordCount < 0 ? static_cast<uint32_t>(words.size()) : static_cast<uint32_t>(wordCount);
    for (int i = 0; i < 4; ++i) {
      file.push_back(static_cast<uint8_t>(count >> (8 * i)));
    }
    for (uint16_t w : words) {
      file.push_back(static_cast<uint8_t>(w));
      file.push_back(static_cast<uint8_t>(w >> 8));
    }
    return file;
  }
};

constexpr uint8_t kFill = 0xEE;
constexpr uint8_t kInk = 0x5C;
constexpr int32_t kBand = 64;

class BitmapFontTest : public ::testing::Test {
protected:
  static constexpr int32_t W = 120;
  static constexpr int32_t H = 60;

  BitmapFontTest() : loader(&source), storage(W * H + 2 * kBand, kFill), expected(W * H, kFill) {
    display.width = W;
    display.height = H;
    display.bufferSize = W * H;
    display.buffer = storage.data() + kBand;
  }
  ~BitmapFontTest() override { display.buffer = nullptr; }

  bool load(BitmapFont& font, const std::vector<uint8_t>& file) {
    source.files["data\\font"] = file;
    return font.load(loader, "data\\font");
  }
  // A 16 x 16 font holding every glyph up to and including the last one named.
  void loadFontThrough(BitmapFont& font, uint32_t lastGlyph) {
    FontFile file;
    file.addGlyphs(lastGlyph + 1);
    ASSERT_TRUE(load(font, file.bytes()));
  }

  // The expected picture of glyph g drawn with the given columns at (px, py): its set bits, with
  // the position counted on the whole buffer so that columns past the edge wrap.
  void expectGlyph(uint32_t g, int64_t px, int64_t py, int32_t columns) {
    for (int k = 0; k < 16; ++k) {
      for (int l = 0; l < columns && l < 16; ++l) {
        if ((patternRow(g, k) >> l) & 1) {
          const int64_t p = (py + k) * W + px + l;
          if (p >= 0 && p < W * H) {
            expected[p] = kInk;
          }
        }
      }
    }
  }
  std::vector<uint8_t> pixels() const {
    return std::vector<uint8_t>(display.buffer, display.buffer + display.bufferSize);
  }
  bool bandsIntact() const {
    for (int32_t i = 0; i < kBand; ++i) {
      if (storage[i] != kFill || storage[storage.size() - 1 - i] != kFill) {
        return false;
      }
    }
    return true;
  }
  bool untouched() const { return pixels() == std::vector<uint8_t>(W * H, kFill) && bandsIntact(); }

  MemorySource source;
  FileLoader loader;
  Display display;
  std::vector<uint8_t> storage;
  std::vector<uint8_t> expected;
};

// --- loading ---------------------------------------------------------------------------------------

TEST_F(BitmapFontTest, LoadKeepsTheHeaderWordsAndTheGlyphs) {
  BitmapFont font;
  FontFile file;
  file.addGlyphs(3);
  ASSERT_TRUE(load(font, file.bytes()));
  EXPECT_EQ(font.header[0], 0xBBAA4746u);
  EXPECT_EQ(font.header[1], 0xDDCC1010u);
  EXPECT_EQ(font.header[2], 48u);
  ASSERT_NE(font.glyphs, nullptr);
  EXPECT_EQ(font.glyphs[0], patternRow(0, 0));
  EXPECT_EQ(font.glyphs[47], patternRow(2, 15));
}

TEST_F(BitmapFontTest, RefusalsLeaveTheLoadedGlyphs) {
  BitmapFont font;
  loadFontThrough(font, 65);
  uint16_t* glyphs = font.glyphs;

  FontFile swapped;
  swapped.addGlyphs(2);
  std::vector<uint8_t> bytes = swapped.bytes();
  std::swap(bytes[0], bytes[1]);
  EXPECT_FALSE(load(font, bytes));
  EXPECT_EQ(font.header[0] & 0xFFFF, 0x4647u);  // copied before the check

  EXPECT_FALSE(load(font, std::vector<uint8_t>{0x46, 0x47, 0, 0, 16, 16, 0, 0, 1, 0, 0}));

  FontFile shortData;
  shortData.addGlyphs(1);
  shortData.wordCount = 17;
  EXPECT_FALSE(load(font, shortData.bytes()));
  EXPECT_EQ(font.header[2], 17u);

  EXPECT_FALSE(font.load(loader, "data\\missing"));
  EXPECT_EQ(font.glyphs, glyphs);

  font.drawText(display, 3, 2, 10, kInk, "A");
  expectGlyph(65, 3, 2, 8);
  EXPECT_EQ(pixels(), expected);
}

TEST_F(BitmapFontTest, GlyphBoundsComeFromTheDataHeldNotFromARefusedHeader) {
  BitmapFont font;
  loadFontThrough(font, 70);
  // Refused for its short data, after its header announced a full GBK font.
  FontFile big;
  big.addGlyphs(1);
  big.wordCount = 32896 * 16;
  EXPECT_FALSE(load(font, big.bytes()));
  font.drawText(display, 0, 0, 10, kInk, "\xB0\xA1");  // glyph 12577, far past the data held
  EXPECT_TRUE(untouched());
  font.drawText(display, 0, 0, 10, kInk, "F");
  expectGlyph('F', 0, 0, 8);
  EXPECT_EQ(pixels(), expected);
}

TEST_F(BitmapFontTest, EmptyFontDrawsNothing) {
  BitmapFont font;
  font.drawText(display, 0, 0, 10, kInk, "ABC");
  EXPECT_TRUE(untouched());
}

// --- characters and pens ----------------------------------------------------------------------------

TEST_F(BitmapFontTest, SingleByteCharacterIsHalfACellWide) {
  BitmapFont font;
  loadFontThrough(font, 127);
  font.drawText(display, 5, 4, 10, kInk, "AB");
  expectGlyph(0x41, 5, 4, 8);
  expectGlyph(0x42, 5 + 9, 4, 8);
  EXPECT_EQ(pixels(), expected);
}

TEST_F(BitmapFontTest, TwoByteCharacterIndexesByLeadAndTrail) {
  BitmapFont font;
  loadFontThrough(font, 12600);
  font.drawText(display, 2, 1, 10, kInk, "\xB0\xA1\xB0\xA2");
  expectGlyph(12577, 2, 1, 16);
  expectGlyph(12578, 2 + 17, 1, 16);
  EXPECT_EQ(pixels(), expected);
}

TEST_F(BitmapFontTest, LoneLeadByteDrawsItsGlyphAndEndsTheText) {
  BitmapFont font;
  loadFontThrough(font, 12600);
  font.drawText(display, 0, 0, 10, kInk, "\xB0");
  expectGlyph(12416, 0, 0, 16);
  EXPECT_EQ(pixels(), expected);
}

TEST_F(BitmapFontTest, LineFeedIsAGlyph) {
  BitmapFont font;
  loadFontThrough(font, 127);
  font.drawText(display, 0, 0, 10, kInk, "a\nb");
  expectGlyph('a', 0, 0, 8);
  expectGlyph(10, 9, 0, 8);
  expectGlyph('b', 18, 0, 8);
  EXPECT_EQ(pixels(), expected);
}

TEST_F(BitmapFontTest, OddCellWidthAndWideGlyphSize) {
  BitmapFont font;
  FontFile file;
  file.cellWidth = 11;  // single-byte: 5 columns, advance 6
  file.glyphSize = 20;  // two-byte: 16 columns drawn (no bits beyond), lines 22 apart
  file.addGlyphs(12578);
  ASSERT_TRUE(load(font, file.bytes()));
  font.drawText(display, 1, 0, 3, kInk, "x\xB0\xA1y");
  expectGlyph('x', 1, 0, 5);
  expectGlyph(12577, 7, 0, 16);
  expectGlyph('y', 1, 22, 5);
  EXPECT_EQ(pixels(), expected);
}

// --- the line budget ---------------------------------------------------------------------------------

TEST_F(BitmapFontTest, BudgetBreaksAfterTenBytes) {
  BitmapFont font;
  loadFontThrough(font, 127);
  const char* text = "FPS=1234567";
  font.drawText(display, 4, 2, 10, kInk, text);
  for (int i = 0; i < 10; ++i) {
    expectGlyph(static_cast<uint8_t>(text[i]), 4 + 9 * i, 2, 8);
  }
  expectGlyph('7', 4, 2 + 18, 8);
  EXPECT_EQ(pixels(), expected);
}

TEST_F(BitmapFontTest, TwoByteCharacterStartingOnTheLastBudgetByteStaysOnTheLine) {
  BitmapFont font;
  loadFontThrough(font, 12600);
  font.drawText(display, 0, 0, 3, kInk, "ab\xB0\xA1" "cd");
  expectGlyph('a', 0, 0, 8);
  expectGlyph('b', 9, 0, 8);
  expectGlyph(12577, 18, 0, 16);
  expectGlyph('c', 0, 18, 8);
  expectGlyph('d', 9, 18, 8);
  EXPECT_EQ(pixels(), expected);
}

TEST_F(BitmapFontTest, NoBudgetOrNoTextDrawsNothing) {
  BitmapFont font;
  loadFontThrough(font, 127);
  font.drawText(display, 0, 0, 0, kInk, "ABC");
  font.drawText(display, 0, 0, -5, kInk, "ABC");
  font.drawText(display, 0, 0, INT_MIN, kInk, "ABC");
  font.drawText(display, 0, 0, 10, kInk, "");
  EXPECT_TRUE(untouched());
}

// --- clipping against the whole buffer --------------------------------------------------------------

TEST_F(BitmapFontTest, ColumnsPastTheRightEdgeWrapOntoTheNextRow) {
  BitmapFont font;
  loadFontThrough(font, 12600);
  font.drawText(display, W - 4, 10, 10, kInk, "\xB0\xA1");
  expectGlyph(12577, W - 4, 10, 16);
  EXPECT_EQ(pixels(), expected);
  // Column 4 of row 0 lands at the start of row 11.
  if ((patternRow(12577, 0) >> 4) & 1) {
    EXPECT_EQ(display.buffer[11 * W + 0], kInk);
  }
}

TEST_F(BitmapFontTest, RowsAboveTheBufferAreDropped) {
  BitmapFont font;
  loadFontThrough(font, 127);
  font.drawText(display, 20, -8, 10, kInk, "Q");
  expectGlyph('Q', 20, -8, 8);
  EXPECT_EQ(pixels(), expected);
  // Only glyph rows 8 to 15 can be present, in buffer rows 0 to 7.
  for (int32_t y = 8; y < H; ++y) {
    for (int32_t x = 0; x < W; ++x) {
      ASSERT_EQ(display.buffer[y * W + x], kFill);
    }
  }
}

TEST_F(BitmapFontTest, NothingIsWrittenOutsideTheBuffer) {
  BitmapFont font;
  loadFontThrough(font, 12600);
  const int32_t positions[][2] = {{W - 3, H - 2}, {-10, -10}, {-20, H - 1}, {INT_MAX, INT_MAX},
                                  {INT_MIN, INT_MIN}, {INT_MAX - 3, 0}, {0, INT_MAX}, {-5, 0}};
  for (const auto& p : positions) {
    font.drawText(display, p[0], p[1], 4, kInk, "W\xB0\xA1Wxyz\xC1\xC2");
    ASSERT_TRUE(bandsIntact()) << p[0] << ", " << p[1];
  }
}

TEST_F(BitmapFontTest, GlyphCutShortByTheDataIsNotDrawn) {
  BitmapFont font;
  FontFile file;
  file.addGlyphs(65);
  file.words.resize(file.words.size() + 8, 0xFFFF);  // half of glyph 65
  ASSERT_TRUE(load(font, file.bytes()));
  font.drawText(display, 0, 0, 10, kInk, "@A@\xB0\xA1");
  expectGlyph('@', 0, 0, 8);
  expectGlyph('@', 18, 0, 8);
  EXPECT_EQ(pixels(), expected);
}

// --- formatted text ---------------------------------------------------------------------------------

TEST_F(BitmapFontTest, FormattedTextDrawsLikeThePlainText) {
  BitmapFont font;
  loadFontThrough(font, 127);
  font.drawFormatted(display, 3, 3, 10, kInk, "FPS=%d", 1234567);
  const std::vector<uint8_t> formatted = pixels();
  std::fill(storage.begin(), storage.end(), kFill);
  font.drawText(display, 3, 3, 10, kInk, "FPS=1234567");
  EXPECT_EQ(formatted, pixels());
}

TEST_F(BitmapFontTest, FormattedTextIsCutAt1023Bytes) {
  // One-pixel glyphs two pixels apart on one long row: the 1023rd byte is the last drawn.
  Display wide;
  std::vector<uint8_t> row(4096, kFill);
  wide.width = 4096;
  wide.height = 1;
  wide.bufferSize = 4096;
  wide.buffer = row.data();
  BitmapFont font;
  FontFile file;
  file.cellWidth = 2;
  file.words.assign(128 * 16, 0);
  file.words['.' * 16] = 1;  // glyph '.': one pixel, top-left
  ASSERT_TRUE(load(font, file.bytes()));
  const std::string dots(2000, '.');
  font.drawFormatted(wide, 0, 0, 4000, kInk, "%s", dots.c_str());
  wide.buffer = nullptr;
  EXPECT_EQ(row[2 * 1022], kInk);
  EXPECT_EQ(row[2 * 1023], kFill);
}

}  // namespace
