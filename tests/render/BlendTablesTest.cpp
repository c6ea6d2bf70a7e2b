// Colour codes and blend tables: nearestColorCode and the computed tables against the formulas
// taken literally, the documented example values, and loading the ready-made table file.
#include "render/BlendTables.h"

#include "archive/FileLoader.h"
#include "tests/support/MemorySource.h"
#include "tests/support/NaiveTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The full scan is a pure function of the word, so it is run once per word and remembered.
const std::vector<uint8_t>& naiveNearestOfWord() {
  static const std::vector<uint8_t> table = [] {
    std::vector<uint8_t> t(65536);
    for (uint32_t v = 0; v < 65536; ++v) t[v] = naive::nearest(v);
    return t;
  }();
  return table;
}

const std::vector<uint8_t>& computedImage() {
  static const std::vector<uint8_t> image = [] {
    computeBlendTables();
    return naive::heldTables();
  }();
  return image;
}

TEST(NearestColorCode, MatchesTheFullScanAndTheExamples) {
  for (uint32_t v = 0; v < 65536; ++v) ASSERT_EQ(nearestColorCode(v), naiveNearestOfWord()[v]) << "word " << v;
  // Leaving out a key code: the demo's two keys, and the first and last codes.
  for (int avoided : {0, 248, 1, 255}) {
    for (uint32_t v = 0; v < 65536; ++v) {
      ASSERT_EQ(nearestColorCodeAvoiding(v, avoided), naive::nearest(v, avoided))
          << "word " << v << " avoiding " << avoided;
    }
  }
  // Bits above 15 are ignored.
  const uint32_t examples[][2] = {{0x0000, 0},  {0xFFFF, 255},  {0xF81F, 248},    {0xF800, 224},   {0x07E0, 7},
                                  {0x001F, 24}, {0x1F81F, 248}, {0xABCD0000u, 0}, {0xFFFF07E0u, 7}};
  for (const auto& e : examples) EXPECT_EQ(nearestColorCode(e[0]), e[1]) << std::hex << e[0];
}

TEST(ComputedTables, EqualTheFormulasEntryForEntry) {
  std::vector<uint8_t> expected;
  naive::tables(expected, [](uint32_t word) { return naiveNearestOfWord()[word & 0xFFFF]; });
  const std::vector<uint8_t>& computed = computedImage();
  const auto differ = std::mismatch(computed.begin(), computed.end(), expected.begin());
  EXPECT_EQ(differ.first, computed.end())
      << "first difference at offset 0x" << std::hex << (differ.first - computed.begin());
}

TEST(ComputedTables, HoldTheExampleValues) {
  computeBlendTables();
  const int examples[][2] = {{alphaTable[8][255][0], 108}, {alphaTable[15][255][0], 254},
                             {addTable[255][255], 255},    {addTable[0x10][0x10], 25},
                             {subTable[255][0x84], 123},   {subTable[0x10][0x20], 16},
                             {subTable[0x20][0x10], 0},    {greyTable[0], 0},
                             {greyTable[255], 255},        {greyTable[0x80], 41}};
  for (size_t i = 0; i < sizeof examples / sizeof examples[0]; ++i) EXPECT_EQ(examples[i][0], examples[i][1]) << i;
}

// A whole file is copied (bytes after the tables ignored); anything else falls back to computing.
TEST(LoadBlendTables, UsesAWholeFileAndComputesOtherwise) {
  std::vector<uint8_t> pattern(kBlendTableFileSize + 1000);
  for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<uint8_t>(i * 7 + i / 251);
  const std::vector<uint8_t> patternTables(pattern.begin(), pattern.begin() + kBlendTableFileSize);
  const std::vector<uint8_t>& computed = computedImage();
  const struct {
    const char* what;
    const std::vector<uint8_t>* file;  // null: no such file
    size_t size;
    bool withLoader;
    const std::vector<uint8_t>& expected;
  } cases[] = {{"exact size", &pattern, kBlendTableFileSize, true, patternTables},
               {"1000 bytes more", &pattern, kBlendTableFileSize + 1000, true, patternTables},
               {"one byte short", &pattern, kBlendTableFileSize - 1, true, computed},
               {"written from the computed tables", &computed, kBlendTableFileSize, true, computed},
               {"missing", nullptr, 0, true, computed},
               {"no loader", nullptr, 0, false, computed}};
  for (const auto& c : cases) {
    MemorySource source;
    FileLoader loader(&source);
    if (c.file) source.files["data\\bdi.dat"].assign(c.file->begin(), c.file->begin() + c.size);
    std::memset(alphaTable, 0xA5, sizeof alphaTable);
    std::memset(addTable, 0xA5, sizeof addTable);
    std::memset(subTable, 0xA5, sizeof subTable);
    std::memset(greyTable, 0xA5, sizeof greyTable);
    loadBlendTables(c.withLoader ? &loader : nullptr, "data\\bdi.dat");
    EXPECT_TRUE(naive::heldTables() == c.expected) << c.what;
  }
}

}  // namespace
