// The BDI coders of our tools: the packets and references they choose (that every coding comes
// back whole through the engine's decoders is the decoders fuzz target's check), the header they
// write, the colour coding of pictures, and whole-or-nothing output files.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "render/BlendTables.h"
#include "tools/bdi/AtomicFile.h"
#include "tools/bdi/BdiEncoder.h"
#include "tools/bdi/BdiFile.h"
#include "tools/bdi/ColorCoder.h"
#include "tests/support/ScratchFiles.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes noise(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  Bytes bytes(size);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
  return bytes;
}

// A random block of blockSize bytes over and over, with one random byte between the copies.
Bytes repeats(size_t size, size_t blockSize, uint32_t seed) {
  const Bytes block = noise(blockSize, seed);
  Bytes bytes;
  while (bytes.size() < size) {
    bytes.insert(bytes.end(), block.begin(), block.end());
    bytes.push_back(static_cast<uint8_t>(bytes.size() * 2654435761u >> 24));
  }
  bytes.resize(size);
  return bytes;
}

TEST(BdiCoders, RunLengthPacketsStayWithinTheirLimits) {
  const Bytes same(300, 9);  // runs of 127, 127 and 46
  EXPECT_EQ(encodeRle(same.data(), same.size()), (Bytes{0xFF, 9, 0xFF, 9, 0xAE, 9}));
  const Bytes mixed{1, 2, 2, 3, 4, 4, 4};  // two equal bytes stay literals, three make a run
  EXPECT_EQ(encodeRle(mixed.data(), mixed.size()), (Bytes{0x04, 1, 2, 2, 3, 0x83, 4}));
  const Bytes n = noise(1000, 8);  // one control byte per 127 literals
  EXPECT_LE(encodeRle(n.data(), n.size()).size(), n.size() + (n.size() + 126) / 127);
}

// Sizes only the references the coder should find can give.
TEST(BdiCoders, LzssFindsLongOverlappingAndFarMatches) {
  const auto coded = [](const Bytes& data) { return encodeLzss(data.data(), data.size()).size(); };
  Bytes pattern;  // period two: only references overlapping their own output reach 18 bytes
  for (int i = 0; i < 200; ++i) pattern.push_back(i % 2 ? 'B' : 'A');
  EXPECT_LT(coded(pattern), 40u);
  EXPECT_LT(coded(Bytes(65536, 0)), 65536u / 18 * 2 * 9 / 8 + 16);
  EXPECT_LT(coded(repeats(30000, 50, 12)), 30000u / 4);
  const Bytes n = noise(10000, 11);  // noise costs at most a flag byte per eight literals
  EXPECT_LE(coded(n), n.size() + (n.size() + 7) / 8);
  // A block repeated a whole ring later lies as far back as references reach.
  for (size_t gap : {4095, 4096}) {
    Bytes far = noise(gap, 10);
    far.insert(far.end(), far.begin(), far.end());
    EXPECT_LT(coded(far), far.size() * 3 / 4) << gap;
  }
}

TEST(BdiCoders, FileHeaderIsLaidOutByteByByte) {
  const Bytes file = makeBdiFile(0x1234, 7, BdiHeader::kRunLength, {0x83, 5});
  EXPECT_EQ(file, (Bytes{0x49, 0x42, 0, 1, 0x34, 0x12, 7, 0, 2, 0, 0, 0, 0x6C, 0x7F, 0, 0, 0x83, 5}));
}

TEST(ColorCoding, CodesAndTheirDisplayColoursMatch) {
  ColorCoder coder;
  for (int c = 0; c < 256; ++c) {
    const auto rgb = ColorCoder::codeRgb(static_cast<uint8_t>(c));
    EXPECT_EQ(pack565(rgb[0], rgb[1], rgb[2]), codeWord(c)) << c;
    const uint8_t pixel[4] = {rgb[0], rgb[1], rgb[2], 255};
    EXPECT_EQ(coder.code(pixel), c);
  }
  EXPECT_EQ(ColorCoder::codeRgb(248), (std::array<uint8_t, 3>{255, 28, 198}));
}

TEST(ColorCoding, KeyedPixelsAloneTakeTheKeyCode) {
  ColorCoder coder;
  coder.setKeyCode(248);
  coder.setKeyTransparent(true);
  coder.setKeyColor(255, 0, 255);
  const auto shown = ColorCoder::codeRgb(248);
  const uint8_t pixels[][4] = {
      {255, 0, 255, 255}, {10, 200, 30, 0}, {shown[0], shown[1], shown[2], 255}, {0, 255, 0, 128}};
  EXPECT_EQ(coder.code(pixels[0]), 248);                                           // the key colour
  EXPECT_EQ(coder.code(pixels[1]), 248);                                           // transparent
  EXPECT_EQ(coder.code(pixels[2]), nearestColorCodeAvoiding(codeWord(248), 248));  // looks like the key
  EXPECT_EQ(coder.code(pixels[3]), nearestColorCode(0x07E0));                      // alpha only matters at 0

  ColorCoder black;
  black.setKeyCode(0);
  black.setKeyTransparent(true);
  const uint8_t dark[4] = {0, 0, 0, 255};
  const uint8_t hole[4] = {255, 255, 255, 0};
  EXPECT_EQ(black.code(dark), nearestColorCodeAvoiding(0, 0));
  EXPECT_EQ(black.code(hole), 0);
}

TEST(ToolFiles, OutputAppearsWholeOrNotAtAll) {
  testsupport::TempDir dir;
  std::string error;
  ASSERT_TRUE(AtomicFile::writeAll(dir / "out", Bytes{1, 2, 3}, error));
  {
    AtomicFile unfinished(dir / "out");
    ASSERT_TRUE(unfinished.open(error));
    const uint8_t junk[2] = {9, 9};
    ASSERT_TRUE(unfinished.write(junk, 2, error));
    // Dropped without commit: the old file stays and the temporary one goes.
  }
  EXPECT_EQ(testsupport::readFile(dir / "out"), std::string("\x01\x02\x03"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1);
  EXPECT_FALSE(AtomicFile::writeAll(dir / "no/such/dir/out", Bytes{1}, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
