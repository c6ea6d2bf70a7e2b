// The BDI coders of our tools: the packets and references they choose (that every coding comes
// back whole through the engine's decoders is the decoders fuzz target's check), the header they
// write, the colour coding of pictures, and whole-or-nothing output files.
#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "render/BlendTables.h"
#include "tools/bdi/AtomicFile.h"
#include "tools/bdi/BdiEncoder.h"
#include "tools/bdi/BdiFile.h"
#include "tools/bdi/ColorCoder.h"
#include "tools/bdi/ErrorDiffuser.h"
#include "tools/bdi/PerceptualPalette.h"
#include "tools/bdi/PngImage.h"
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

TEST(ColorCoding, KeyedPixelsAloneTakeTheKeyCodeDitheredOrNot) {
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

  // Dithered: a gradient from the key code's own colour, a key-coloured row, holes hiding white or black.
  PngImage hidingWhite(40, 20), hidingBlack(40, 20);
  for (int i = 0; i < 40 * 20; ++i) {
    const bool hole = i % 7 == 3, keyRow = i / 40 == 5;
    const uint8_t r = keyRow ? 255 : static_cast<uint8_t>(255 - i % 40 * 4), g = keyRow ? 0 : 28,
                  b = keyRow ? 255 : 198;
    hidingWhite.set(i % 40, i / 40, hole ? 255 : r, hole ? 255 : g, hole ? 255 : b, hole ? 0 : 255);
    hidingBlack.set(i % 40, i / 40, hole ? 0 : r, hole ? 0 : g, hole ? 0 : b, hole ? 0 : 255);
  }
  const Bytes codes = ErrorDiffuser(coder).codes(hidingWhite);
  EXPECT_EQ(codes, ErrorDiffuser(coder).codes(hidingBlack));
  for (int i = 0; i < 40 * 20; ++i) ASSERT_EQ(codes[i] == 248, coder.isKeyed(hidingWhite.at(i % 40, i / 40))) << i;

  ColorCoder black;
  black.setKeyCode(0);
  black.setKeyTransparent(true);
  const uint8_t dark[4] = {0, 0, 0, 255};
  const uint8_t hole[4] = {255, 255, 255, 0};
  EXPECT_EQ(black.code(dark), nearestColorCodeAvoiding(0, 0));
  EXPECT_EQ(black.code(hole), 0);
}

// Squared error of the shown codes in 4 x 4 block averages (about what the eye averages over).
double blurredError(const PngImage& image, const Bytes& codes) {
  const int w = image.width();
  std::vector<double> blocks(codes.size() / 16 * 3 + 3);
  for (int i = 0; i < w * image.height(); ++i) {
    const size_t block = i / w / 4 * (w / 4) + i % w / 4;
    for (int k = 0; k < 3; ++k) blocks[block * 3 + k] += ColorCoder::codeRgb(codes[i])[k] - image.at(i % w, i / w)[k];
  }
  return std::inner_product(blocks.begin(), blocks.end(), blocks.begin(), 0.0);
}

TEST(Dithering, SmoothShadingComesCloserAndRedDoesNotSmearIntoGrey) {
  PngImage ramp(96, 32), redOverGrey(32, 16);
  for (int i = 0; i < 96 * 32; ++i) ramp.set(i % 96, i / 96, i % 96 * 255 / 95, 100 + i / 96, 60 + i % 96 / 3);
  for (int i = 0; i < 32 * 16; ++i)
    redOverGrey.set(i % 32, i / 32, i < 256 ? 255 : 128, i < 256 ? 0 : 128, i < 256 ? 0 : 128);
  ColorCoder plain;
  EXPECT_LT(blurredError(ramp, ErrorDiffuser(plain).codes(ramp)) * 15, blurredError(ramp, plain.codes(ramp)));
  // Pure red is out of reach (every strong red code has some green): its error is clamped rather
  // than piled up and dumped as pink into the grey below.
  const Bytes codes = ErrorDiffuser(plain).codes(redOverGrey);
  double sum[3] = {};
  for (int i = 256 * 3; i < 512 * 3; ++i) sum[i % 3] += ColorCoder::codeRgb(codes[i / 3])[i % 3];
  for (double channel : sum) EXPECT_NEAR(channel / 256, 128, 8);
}

TEST(Dithering, PaletteFindsTheNearestLookingCode) {
  std::mt19937 random(5);
  for (int avoided : {-1, 0, 224}) {
    PerceptualPalette palette;
    if (avoided >= 0) palette.avoid(static_cast<uint8_t>(avoided));
    for (int i = 0; i < 3000; ++i) {  // every code's own colour, then random colours
      const uint32_t bits = random();
      const auto rgb = i < 256 ? ColorCoder::codeRgb(static_cast<uint8_t>(i))
                               : PerceptualPalette::Rgb{uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16)};
      const auto d = [&](int code) { return PerceptualPalette::distance(ColorCoder::codeRgb(code), rgb); };
      int best = avoided == 0 ? 1 : 0;
      for (int c = 0; c < 256; ++c) best = c != avoided && d(c) < d(best) ? c : best;
      ASSERT_EQ(palette.nearest(rgb), best) << i << " avoiding " << avoided;
    }
  }
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
