#include "render/BlendTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "archive/ByteBuffer.h"
#include "archive/FileLoader.h"
#include "archive/FileSource.h"

namespace {

// ---- Reference: the formulas taken literally, with a full scan over all 256 codes. ----

int red8(uint32_t v) { return static_cast<int>(v >> 8); }
int green8(uint32_t v) { return static_cast<int>((v >> 3) & 0xFF); }
int blue8(uint32_t v) { return static_cast<int>((v & 0x1F) << 3); }
uint32_t pack565(int r, int g, int b) {
  return ((static_cast<uint32_t>(r) & 0xF8) << 8) | ((static_cast<uint32_t>(g) & 0xFC) << 3) |
         (static_cast<uint32_t>(b) >> 3);
}
uint32_t codeWord(int c) { return static_cast<uint32_t>(c) * 0x101; }

uint8_t naiveNearest(uint32_t rgb) {
  const uint32_t v = rgb & 0xFFFF;
  int bestDistance = 65535;
  int bestCode = 0;
  for (int i = 0; i < 256; ++i) {
    const uint32_t w = codeWord(i);
    const int db = blue8(w) - blue8(v), dg = green8(w) - green8(v), dr = red8(w) - red8(v);
    const int distance = db * db + dg * dg + dr * dr;
    if (distance < bestDistance) {
      bestDistance = distance;
      bestCode = i;
    }
  }
  return static_cast<uint8_t>(bestCode);
}

// The full scan is a pure function of the word, so it is run once per word and remembered.
const std::vector<uint8_t>& naiveNearestOfWord() {
  static const std::vector<uint8_t> table = [] {
    std::vector<uint8_t> t(65536);
    for (uint32_t v = 0; v < 65536; ++v) t[v] = naiveNearest(v);
    return t;
  }();
  return table;
}

// Field by field: 5-bit red, 6-bit green, 5-bit blue, each (S * a + D * (16 - a)) / 16.
uint8_t naiveAlpha(int a, int s, int d) {
  const uint32_t S = codeWord(s), D = codeWord(d);
  const uint32_t r = ((S >> 11) * a + (D >> 11) * (16 - a)) / 16;
  const uint32_t g = (((S >> 5) & 0x3F) * a + ((D >> 5) & 0x3F) * (16 - a)) / 16;
  const uint32_t b = ((S & 0x1F) * a + (D & 0x1F) * (16 - a)) / 16;
  return naiveNearestOfWord()[(r << 11) | (g << 5) | b];
}

uint8_t naiveAdd(int s, int d) {
  const uint32_t S = codeWord(s), D = codeWord(d);
  return naiveNearestOfWord()[pack565(std::min(255, red8(S) + red8(D)),
                                      std::min(255, green8(S) + green8(D)),
                                      std::min(255, blue8(S) + blue8(D)))];
}

uint8_t naiveSub(int s, int d) {
  const uint32_t S = codeWord(s), D = codeWord(d);
  return naiveNearestOfWord()[pack565(std::max(0, red8(S) - red8(D)),
                                      std::max(0, green8(S) - green8(D)),
                                      std::max(0, blue8(S) - blue8(D)))];
}

uint8_t naiveGrey(int c) {
  const uint32_t C = codeWord(c);
  const int q = (3 * red8(C) + 6 * green8(C) + blue8(C)) / 10;
  return naiveNearestOfWord()[pack565(q, q, q)];
}

// The four tables as one image in the file layout.
std::vector<uint8_t> tablesImage() {
  std::vector<uint8_t> image(kBlendTableFileSize);
  std::memcpy(image.data() + kAlphaTableOffset, alphaTable, sizeof alphaTable);
  std::memcpy(image.data() + kAddTableOffset, addTable, sizeof addTable);
  std::memcpy(image.data() + kSubTableOffset, subTable, sizeof subTable);
  std::memcpy(image.data() + kGreyTableOffset, greyTable, sizeof greyTable);
  return image;
}

const std::vector<uint8_t>& computedImage() {
  static const std::vector<uint8_t> image = [] {
    computeBlendTables();
    return tablesImage();
  }();
  return image;
}

class BlendTablesComputed : public ::testing::Test {
protected:
  void SetUp() override { computeBlendTables(); }
};

// ---- nearestColorCode ----

TEST(NearestColorCode, MatchesFullScanForEveryWord) {
  const std::vector<uint8_t>& naive = naiveNearestOfWord();
  for (uint32_t v = 0; v < 65536; ++v) ASSERT_EQ(nearestColorCode(v), naive[v]) << "word " << v;
}

TEST(NearestColorCode, ExampleWords) {
  EXPECT_EQ(nearestColorCode(0x0000), 0);
  EXPECT_EQ(nearestColorCode(0xFFFF), 255);
  EXPECT_EQ(nearestColorCode(0xF81F), 248);
  EXPECT_EQ(nearestColorCode(0xF800), 224);
  EXPECT_EQ(nearestColorCode(0x07E0), 7);
  EXPECT_EQ(nearestColorCode(0x001F), 24);
}

TEST(NearestColorCode, EveryCodeWordMapsToItsCode) {
  for (int c = 0; c < 256; ++c) EXPECT_EQ(nearestColorCode(codeWord(c)), c);
}

TEST(NearestColorCode, IgnoresBitsAbove15) {
  EXPECT_EQ(nearestColorCode(0x1F81F), 248);
  EXPECT_EQ(nearestColorCode(0xABCD0000u), 0);
  EXPECT_EQ(nearestColorCode(0xFFFF07E0u), 7);
}

// ---- Computed tables against the formulas ----

TEST_F(BlendTablesComputed, AlphaTableMatchesFormulaAtEveryLevel) {
  for (int a = 0; a < 16; ++a)
    for (int s = 0; s < 256; ++s)
      for (int d = 0; d < 256; ++d)
        ASSERT_EQ(alphaTable[a][s][d], naiveAlpha(a, s, d)) << a << " " << s << " " << d;
}

TEST_F(BlendTablesComputed, AddSubGreyTablesMatchFormulas) {
  for (int s = 0; s < 256; ++s) {
    for (int d = 0; d < 256; ++d) {
      ASSERT_EQ(addTable[s][d], naiveAdd(s, d)) << s << " " << d;
      ASSERT_EQ(subTable[s][d], naiveSub(s, d)) << s << " " << d;
    }
    ASSERT_EQ(greyTable[s], naiveGrey(s)) << s;
  }
}

TEST_F(BlendTablesComputed, AlphaExamples) {
  for (int s = 0; s < 256; ++s)
    for (int d = 0; d < 256; ++d) ASSERT_EQ(alphaTable[0][s][d], d);
  for (int a = 0; a < 16; ++a)
    for (int c = 0; c < 256; ++c) ASSERT_EQ(alphaTable[a][c][c], c);
  EXPECT_EQ(alphaTable[8][255][0], 108);
  EXPECT_EQ(alphaTable[15][255][0], 254);
}

TEST_F(BlendTablesComputed, AddSubExamples) {
  for (int c = 0; c < 256; ++c) {
    EXPECT_EQ(addTable[c][0], c);
    EXPECT_EQ(subTable[c][0], c);
    EXPECT_EQ(subTable[c][c], 0);
  }
  EXPECT_EQ(addTable[255][255], 255);
  EXPECT_EQ(addTable[0x10][0x10], 25);
  EXPECT_EQ(subTable[255][0x84], 123);
  EXPECT_EQ(subTable[0x10][0x20], 16);
  EXPECT_EQ(subTable[0x20][0x10], 0);
}

TEST_F(BlendTablesComputed, GreyExamples) {
  EXPECT_EQ(greyTable[0], 0);
  EXPECT_EQ(greyTable[255], 255);
  EXPECT_EQ(greyTable[0x80], 41);
}

TEST_F(BlendTablesComputed, RecomputingGivesTheSameBytes) {
  const std::vector<uint8_t> first = tablesImage();
  std::memset(alphaTable, 0x5A, sizeof alphaTable);
  std::memset(greyTable, 0x5A, sizeof greyTable);
  computeBlendTables();
  EXPECT_TRUE(tablesImage() == first);
}

// ---- loadBlendTables ----

// In-memory files served by name; a name that is not there cannot be read.
class MemorySource : public FileSource {
public:
  bool open(const std::string&) override { return true; }
  bool close() override { return true; }
  bool readFile(const std::string& name, ByteBuffer& buffer) override {
    auto it = files.find(name);
    if (it == files.end()) return false;
    if (!buffer.resize(static_cast<int32_t>(it->second.size()))) return false;
    if (!it->second.empty()) std::memcpy(buffer.data, it->second.data(), it->second.size());
    return true;
  }
  bool readFile(const std::string& name, uint8_t*& block, int32_t& size) override {
    auto it = files.find(name);
    if (it == files.end()) return false;
    block = new uint8_t[it->second.size()];
    std::memcpy(block, it->second.data(), it->second.size());
    size = static_cast<int32_t>(it->second.size());
    return true;
  }
  std::map<std::string, std::vector<uint8_t>> files;
};

// A file whose bytes are no valid tables, so that using it is visible.
std::vector<uint8_t> patternFile(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

class BlendTablesLoad : public ::testing::Test {
protected:
  void SetUp() override {
    computedImage();
    loader = new FileLoader(&source);
  }
  void TearDown() override { delete loader; }
  // Puts something into the tables that is neither the computed tables nor a test file.
  void scribbleTables() {
    std::memset(alphaTable, 0xA5, sizeof alphaTable);
    std::memset(addTable, 0xA5, sizeof addTable);
    std::memset(subTable, 0xA5, sizeof subTable);
    std::memset(greyTable, 0xA5, sizeof greyTable);
  }
  MemorySource source;
  FileLoader* loader = nullptr;
};

TEST_F(BlendTablesLoad, FileOfExactSizeIsCopied) {
  const std::vector<uint8_t> file = patternFile(kBlendTableFileSize);
  source.files["data\\bdi.dat"] = file;
  scribbleTables();
  loadBlendTables(loader, "data\\bdi.dat");
  EXPECT_TRUE(tablesImage() == file);
}

TEST_F(BlendTablesLoad, BytesAfterTheTablesAreIgnored) {
  const std::vector<uint8_t> file = patternFile(kBlendTableFileSize + 1000);
  source.files["data\\bdi.dat"] = file;
  scribbleTables();
  loadBlendTables(loader, "data\\bdi.dat");
  EXPECT_TRUE(tablesImage() == std::vector<uint8_t>(file.begin(), file.begin() + kBlendTableFileSize));
}

TEST_F(BlendTablesLoad, FileOneByteShortIsComputedInstead) {
  source.files["data\\bdi.dat"] = patternFile(kBlendTableFileSize - 1);
  scribbleTables();
  loadBlendTables(loader, "data\\bdi.dat");
  EXPECT_TRUE(tablesImage() == computedImage());
}

TEST_F(BlendTablesLoad, MissingFileIsComputedInstead) {
  scribbleTables();
  loadBlendTables(loader, "data\\bdi.dat");
  EXPECT_TRUE(tablesImage() == computedImage());
}

TEST_F(BlendTablesLoad, NullLoaderComputes) {
  scribbleTables();
  loadBlendTables(nullptr, "data\\bdi.dat");
  EXPECT_TRUE(tablesImage() == computedImage());
}

TEST_F(BlendTablesLoad, FileWrittenFromComputedTablesLoadsTheSame) {
  source.files["data\\bdi.dat"] = computedImage();
  scribbleTables();
  loadBlendTables(loader, "data\\bdi.dat");
  EXPECT_TRUE(tablesImage() == computedImage());
}

}  // namespace
