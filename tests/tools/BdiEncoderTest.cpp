// The BDI coders of our tools against the engine's decoders, and the pieces of the bdi tool.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "render/BdiDecoders.h"
#include "render/BlendTables.h"
#include "tools/bdi/AtomicFile.h"
#include "tools/bdi/BdiEncoder.h"
#include "tools/bdi/BdiFile.h"
#include "tools/bdi/ColorCoder.h"
#include "tools/bdi/LzssEncoder.h"
#include "tools/bdi/PngImage.h"
#include "tests/support/ScratchFiles.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

constexpr int kRingSize = 4096;
constexpr int kRingStart = 4078;

Bytes noise(size_t size, uint32_t seed, int range = 256) {
  std::mt19937 random(seed);
  Bytes bytes(size);
  for (auto& b : bytes) b = static_cast<uint8_t>(random() % range);
  return bytes;
}

// Runs of random lengths (1 to 300) of random values.
Bytes runs(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  Bytes bytes;
  while (bytes.size() < size) {
    bytes.insert(bytes.end(), 1 + random() % 300, static_cast<uint8_t>(random()));
  }
  bytes.resize(size);
  return bytes;
}

// A random block repeated over and over, with a little noise between the copies.
Bytes repeats(size_t size, size_t block, uint32_t seed) {
  const Bytes unit = noise(block, seed);
  Bytes bytes;
  std::mt19937 random(seed + 1);
  while (bytes.size() < size) {
    bytes.insert(bytes.end(), unit.begin(), unit.end());
    bytes.push_back(static_cast<uint8_t>(random()));
  }
  bytes.resize(size);
  return bytes;
}

// Every cell of the decoder's shared ring, its 18 tail cells included, set to value: the state a
// previous decode may leave behind.
void fillRing(uint8_t value) {
  const Bytes literals(kRingSize + 18, value);
  Bytes payload;
  for (size_t i = 0; i < literals.size(); i += 8) {
    payload.push_back(0xFF);
    payload.insert(payload.end(), literals.begin() + i, literals.begin() + std::min(i + 8, literals.size()));
  }
  Bytes out(literals.size());
  decodeLzss(payload.data(), static_cast<uint32_t>(payload.size()), out.data(), static_cast<uint32_t>(out.size()));
}

Bytes decodeWith(int method, const Bytes& payload, size_t size) {
  Bytes out(size + 32, 0xCD);
  const uint8_t* in = payload.empty() ? nullptr : payload.data();
  const auto length = static_cast<uint32_t>(payload.size());
  const auto outSize = static_cast<uint32_t>(size);
  if (method == 0) copyRaw(in, length, out.data(), outSize);
  if (method == 1) decodeRle(in, length, out.data(), outSize);
  if (method == 2) decodeLzss(in, length, out.data(), outSize);
  for (size_t i = size; i < out.size(); ++i) EXPECT_EQ(out[i], 0xCD) << "written past the image";
  out.resize(size);
  return out;
}

// One LZSS reference as the decoder sees it.
struct Reference {
  size_t output;      // index of its first output byte
  uint32_t position;  // ring position it reads from
  int length;
};

// Walks an LZSS payload item by item. Also checks, like a decoder that knows nothing of older
// decodes, that every ring cell a reference reads was filled with spaces by this decode or
// written by this stream: the 18 tail cells must be written before they are read.
std::vector<Reference> references(const Bytes& payload, size_t& produced) {
  std::vector<Reference> found;
  std::vector<bool> known(kRingSize, false);
  for (int i = 0; i < kRingStart; ++i) known[i] = true;
  uint32_t r = kRingStart;
  produced = 0;
  size_t in = 0;
  unsigned flags = 0;
  while (in < payload.size()) {
    flags >>= 1;
    if ((flags & 0x100) == 0) {
      flags = payload[in++] | 0xFF00u;
      if (in >= payload.size()) break;
    }
    if (flags & 1) {
      ++in;
      known[r] = true;
      r = (r + 1) & 0xFFF;
      ++produced;
      continue;
    }
    if (in + 2 > payload.size()) break;
    const uint32_t position = payload[in] | ((payload[in + 1] & 0xF0u) << 4);
    const int length = (payload[in + 1] & 0x0F) + 3;
    in += 2;
    found.push_back({produced, position, length});
    for (int k = 0; k < length; ++k) {
      EXPECT_TRUE(known[(position + k) & 0xFFF])
          << "reads ring cell " << ((position + k) & 0xFFF) << " before this stream wrote it";
      known[r] = true;
      r = (r + 1) & 0xFFF;
      ++produced;
    }
  }
  return found;
}

void expectLzssRoundTrip(const Bytes& data) {
  const Bytes payload = encodeLzss(data.data(), data.size());
  size_t produced = 0;
  references(payload, produced);
  EXPECT_EQ(produced, data.size());
  // Whatever an earlier decode left in the ring must not matter.
  for (uint8_t leftover : {0x00, 0x20, 0xAB}) {
    fillRing(leftover);
    EXPECT_EQ(decodeWith(2, payload, data.size()), data) << "ring left holding " << int(leftover);
  }
}

std::vector<std::pair<std::string, Bytes>> samples() {
  return {
      {"empty", {}},
      {"one byte", {0x42}},
      {"two bytes", {0x20, 0x20}},
      {"runs 37x23", runs(37 * 23, 1)},
      {"noise 101x7", noise(707, 2)},
      {"few values 131x61", noise(131 * 61, 3, 3)},
      {"repeats 4095", repeats(4095, 100, 4)},
      {"repeats 4097", repeats(4097, 333, 5)},
      {"far repeats 20011", repeats(20011, 4000, 6)},
      {"zeros 70001", Bytes(70001, 0)},
      {"spaces 4079", Bytes(4079, 0x20)},
      {"runs 127..129",
       [] {
         Bytes b(127, 1);
         b.insert(b.end(), 128, 2);
         b.insert(b.end(), 129, 3);
         const Bytes n = noise(255, 7);
         b.insert(b.end(), n.begin(), n.end());
         return b;
       }()},
  };
}

TEST(BdiCoders, EveryMethodDecodesToTheSameCodes) {
  for (const auto& [name, data] : samples()) {
    for (int method = 0; method <= 2; ++method) {
      const Bytes payload = encodePayload(method, data.data(), data.size());
      fillRing(0x5A);
      EXPECT_EQ(decodeWith(method, payload, data.size()), data) << name << ", method " << method;
    }
  }
}

TEST(BdiCoders, RunLengthPacketsStayWithinTheirLimits) {
  // 300 equal bytes: runs of 127, 127 and 46.
  const Bytes same(300, 9);
  EXPECT_EQ(encodeRle(same.data(), same.size()), (Bytes{0xFF, 9, 0xFF, 9, 0xAE, 9}));
  // Two equal bytes stay inside a literal packet; three start a run.
  const Bytes mixed{1, 2, 2, 3, 4, 4, 4};
  EXPECT_EQ(encodeRle(mixed.data(), mixed.size()), (Bytes{0x04, 1, 2, 2, 3, 0x83, 4}));
  // Noise costs one control byte per 127 literals.
  const Bytes n = noise(1000, 8);
  const Bytes coded = encodeRle(n.data(), n.size());
  EXPECT_LE(coded.size(), n.size() + (n.size() + 126) / 127);
  EXPECT_EQ(decodeWith(1, coded, n.size()), n);
}

TEST(BdiCoders, LzssRoundTripsWhateverTheRingHolds) {
  for (const auto& [name, data] : samples()) {
    SCOPED_TRACE(name);
    expectLzssRoundTrip(data);
  }
  // Streams that a coder believing the tail cells to be zero, or spaces, would get wrong.
  expectLzssRoundTrip(Bytes(40, 0));
  Bytes spacesThenZeros(4078, 0x20);
  spacesThenZeros.insert(spacesThenZeros.end(), 30, 0);
  expectLzssRoundTrip(spacesThenZeros);
}

TEST(BdiCoders, LzssUsesLongOverlappingAndWrappingReferences) {
  // A period-2 pattern: references read the bytes they are producing.
  Bytes pattern;
  for (int i = 0; i < 200; ++i) pattern.push_back(i % 2 ? 'B' : 'A');
  size_t produced = 0;
  bool overlapping = false;
  bool longest = false;
  for (const Reference& ref : references(encodeLzss(pattern.data(), pattern.size()), produced)) {
    const uint32_t distance = ((kRingStart + ref.output) - ref.position) & 0xFFF;
    overlapping = overlapping || (distance > 0 && distance < static_cast<uint32_t>(ref.length));
    longest = longest || ref.length == 18;
  }
  EXPECT_TRUE(overlapping);
  EXPECT_TRUE(longest);
  expectLzssRoundTrip(pattern);

  // 40 random bytes, then the same from their 13th on: the copy starts at ring cell 4090 and
  // runs on past cell 4095 to cell 0.
  Bytes wrap = noise(40, 9);
  wrap.insert(wrap.end(), wrap.begin() + 12, wrap.end());
  bool wrapping = false;
  for (const Reference& ref : references(encodeLzss(wrap.data(), wrap.size()), produced)) {
    wrapping = wrapping || ref.position + ref.length > static_cast<uint32_t>(kRingSize);
  }
  EXPECT_TRUE(wrapping);
  expectLzssRoundTrip(wrap);

  // A block repeated a whole ring later: the match lies as far back as the ring allows, and
  // one byte further it has left the ring.
  for (int gap : {kRingSize - 1, kRingSize, kRingSize + 1}) {
    Bytes far = noise(static_cast<size_t>(gap), 10);
    far.insert(far.end(), far.begin(), far.end());
    const Bytes farCoded = encodeLzss(far.data(), far.size());
    if (gap <= kRingSize) {
      EXPECT_LT(farCoded.size(), far.size() * 3 / 4) << gap;
    }
    expectLzssRoundTrip(far);
  }

  // Spaces come from the cells the decoder fills: the first item is already a reference.
  const Bytes spaces(100, 0x20);
  const std::vector<Reference> refs = references(encodeLzss(spaces.data(), spaces.size()), produced);
  ASSERT_FALSE(refs.empty());
  EXPECT_EQ(refs.front().output, 0u);
}

TEST(BdiCoders, ReferenceWalkCatchesReadsOfTheUnwrittenTail) {
  // A first item reading cells 4095, 0 and 1: a tail cell left by an older decode, then spaces.
  size_t produced = 0;
  EXPECT_NONFATAL_FAILURE(references(Bytes{0x00, 0xFF, 0xF0}, produced), "cell 4095 before this stream wrote it");
  // After one literal, the same reference reads the literal and then overlaps its own output.
  EXPECT_EQ(references(Bytes{0x01, 0x41, 0xEE, 0xF0}, produced).size(), 1u);
  EXPECT_EQ(produced, 4u);
}

TEST(BdiCoders, LzssSearchFindsTheMatches) {
  // 64 KiB of one value: all references of 18, nine items per 2 + 2 + ... bytes.
  const Bytes zeros(65536, 0);
  EXPECT_LT(encodeLzss(zeros.data(), zeros.size()).size(), 65536u / 18 * 2 * 9 / 8 + 16);
  // Noise cannot shrink, and costs at most a flag byte per eight literals.
  const Bytes n = noise(10000, 11);
  EXPECT_LE(encodeLzss(n.data(), n.size()).size(), n.size() + (n.size() + 7) / 8);
  // Text-like data with many repeats shrinks well below half.
  const Bytes r = repeats(30000, 50, 12);
  EXPECT_LT(encodeLzss(r.data(), r.size()).size(), r.size() / 4);
}

TEST(BdiFileFormat, HeaderIsWrittenAndCheckedLikeTheEngine) {
  const Bytes codes = runs(33 * 7, 13);
  const Bytes payload = encodeRle(codes.data(), codes.size());
  Bytes file = makeBdiFile(33, 7, BdiHeader::kRle, payload);
  ASSERT_EQ(file.size(), 16 + payload.size());
  EXPECT_EQ(file[0], 0x49);
  EXPECT_EQ(file[1], 0x42);
  EXPECT_EQ(file[3], 1);
  EXPECT_EQ(file[4] | file[5] << 8, 33);
  EXPECT_EQ(file[6] | file[7] << 8, 7);
  EXPECT_EQ(file[8] | file[9] << 8, static_cast<int>(payload.size()));
  EXPECT_EQ(file[12] | file[13] << 8, 33 * 7);
  std::string error;
  Bytes decoded;
  ASSERT_TRUE(decodeBdiFile(file, decoded, error)) << error;
  EXPECT_EQ(decoded, codes);

  BdiHeader header;
  auto refused = [&](Bytes bad) { return !parseBdiFile(bad, header, error) && !error.empty(); };
  Bytes swapped = file;
  std::swap(swapped[0], swapped[1]);
  EXPECT_TRUE(refused(swapped));
  Bytes method3 = file;
  method3[3] = 3;
  EXPECT_TRUE(refused(method3));
  Bytes longer = file;
  longer.push_back(0);
  EXPECT_TRUE(refused(longer));
  EXPECT_TRUE(refused(Bytes(file.begin(), file.end() - 1)));
  Bytes wrongPixels = file;
  wrongPixels[12] ^= 1;
  EXPECT_TRUE(refused(wrongPixels));
  EXPECT_TRUE(refused(Bytes(file.begin(), file.begin() + 15)));
  // The free byte means nothing.
  Bytes freeByte = file;
  freeByte[2] = 0x77;
  EXPECT_TRUE(parseBdiFile(freeByte, header, error));
}

TEST(ColorCoding, CodesAndTheirDisplayColoursMatch) {
  ColorCoder coder;
  for (int c = 0; c < 256; ++c) {
    const auto rgb = ColorCoder::codeRgb(static_cast<uint8_t>(c));
    EXPECT_EQ(ColorCoder::pack565(rgb[0], rgb[1], rgb[2]), c * 0x101) << c;
    const uint8_t pixel[4] = {rgb[0], rgb[1], rgb[2], 255};
    EXPECT_EQ(coder.code(pixel), c);
  }
  EXPECT_EQ(ColorCoder::codeRgb(248), (std::array<uint8_t, 3>{255, 28, 198}));
  const uint8_t magenta[4] = {255, 0, 255, 255};
  EXPECT_EQ(coder.code(magenta), nearestColorCode(0xF81F));
}

TEST(ColorCoding, KeyedPixelsAloneTakeTheKeyCode) {
  ColorCoder coder;
  coder.setKeyCode(248);
  coder.setKeyTransparent(true);
  coder.setKeyColor(255, 0, 255);
  const uint8_t magenta[4] = {255, 0, 255, 255};
  const uint8_t clear[4] = {10, 200, 30, 0};
  const auto shown = ColorCoder::codeRgb(248);
  const uint8_t lookalike[4] = {shown[0], shown[1], shown[2], 255};
  const uint8_t green[4] = {0, 255, 0, 128};
  EXPECT_EQ(coder.code(magenta), 248);
  EXPECT_EQ(coder.code(clear), 248);
  const uint8_t other = coder.code(lookalike);
  EXPECT_NE(other, 248);
  const auto near = ColorCoder::codeRgb(other);
  EXPECT_LE(std::abs(near[0] - shown[0]) + std::abs(near[1] - shown[1]) + std::abs(near[2] - shown[2]), 80);
  EXPECT_EQ(coder.code(green), nearestColorCode(0x07E0));

  ColorCoder black;
  black.setKeyCode(0);
  black.setKeyTransparent(true);
  const uint8_t dark[4] = {0, 0, 0, 255};
  EXPECT_NE(black.code(dark), 0);
  const uint8_t hole[4] = {255, 255, 255, 0};
  EXPECT_EQ(black.code(hole), 0);
}

class ToolFiles : public ::testing::Test {
protected:
  std::string path(const std::string& name) const { return dir / name; }
  size_t entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir.path), {})); }
  testsupport::TempDir dir;
};

TEST_F(ToolFiles, PngKeepsColoursAndTransparency) {
  PngImage image(5, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) image.set(x, y, uint8_t(x * 50), uint8_t(y * 100), 7, x == 2 ? 0 : 255);
  }
  std::string error;
  ASSERT_TRUE(image.write(path("a.png"), error)) << error;
  PngImage back;
  ASSERT_TRUE(back.read(path("a.png"), error)) << error;
  ASSERT_EQ(back.width(), 5);
  ASSERT_EQ(back.height(), 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(back.at(x, y)[3], x == 2 ? 0 : 255);
      if (x != 2) {
        EXPECT_EQ(back.at(x, y)[0], x * 50);
        EXPECT_EQ(back.at(x, y)[1], y * 100);
      }
    }
  }
  std::ofstream(path("bad.png")) << "not a picture";
  EXPECT_FALSE(back.read(path("bad.png"), error));
  EXPECT_NE(error.find("bad.png"), std::string::npos);
  EXPECT_FALSE(back.read(path("missing.png"), error));
}

TEST_F(ToolFiles, OutputAppearsWholeOrNotAtAll) {
  std::string error;
  ASSERT_TRUE(AtomicFile::writeAll(path("out"), Bytes{1, 2, 3}, error));
  {
    AtomicFile unfinished(path("out"));
    ASSERT_TRUE(unfinished.open(error));
    const uint8_t junk[2] = {9, 9};
    ASSERT_TRUE(unfinished.write(junk, 2, error));
    // Dropped without commit: the old file stays and the temporary one goes.
  }
  EXPECT_EQ(testsupport::readFile(path("out")), std::string("\x01\x02\x03"));
  EXPECT_EQ(entries(), 1u);
  EXPECT_FALSE(AtomicFile::writeAll(path("no/such/dir/out"), Bytes{1}, error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(entries(), 1u);
}

}  // namespace
