// Sprite: loading BDI files (what each refusal leaves behind, and the sizes a payload can fill),
// the source rectangle, the colour key, and draws that clipping must keep inside the buffer and
// the pixel block.
#include "render/Sprite.h"

#include "archive/FileLoader.h"
#include "archive/LittleEndian.h"
#include "render/BlendModes.h"
#include "tests/support/GuardedDisplay.h"
#include "tests/support/MemorySource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// A BDI file written byte by byte; the stored size is the true payload length unless given.
Bytes bdiFile(uint8_t method, uint16_t width, uint16_t height, const Bytes& payload, uint32_t pixelSize,
              int64_t storedSize = -1) {
  Bytes file = {0x49, 0x42, 0x00, method};
  file.resize(16);
  writeLe16(&file[4], width);
  writeLe16(&file[6], height);
  writeLe32(&file[8], static_cast<uint32_t>(storedSize < 0 ? static_cast<int64_t>(payload.size()) : storedSize));
  writeLe32(&file[12], pixelSize);
  file.insert(file.end(), payload.begin(), payload.end());
  return file;
}

// A recognisable image: no code is 0 or the buffer's fill 0xEE.
Bytes ramp(int32_t width, int32_t height) {
  Bytes codes(static_cast<size_t>(width) * height);
  for (int32_t i = 0; i < width * height; ++i) codes[i] = static_cast<uint8_t>(1 + (i % width + 3 * (i / width)) % 200);
  return codes;
}

Bytes storedFile(uint16_t width, uint16_t height) {
  return bdiFile(0, width, height, ramp(width, height), width * height);
}

bool same(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class SpriteTest : public ::testing::Test {
protected:
  bool load(Sprite& sprite, const Bytes& file) {
    source.files["data\\test.bdi"] = file;
    return sprite.load(loader, "data\\test.bdi");
  }
  // Copies the source rectangle to the origin and tells whether exactly the ramp appears there.
  bool drawsRamp(Sprite& sprite, int32_t width, int32_t height) {
    frame.clear();
    sprite.x = sprite.y = 0;
    sprite.blendMode = Copy;
    sprite.draw(frame.display);
    GuardedDisplay expected(100, 50, 0xEE);
    const Bytes image = ramp(width, height);
    for (int32_t y = 0; y < std::min(height, 50); ++y) {
      std::copy_n(&image[y * width], std::min(width, 100), &expected.display.buffer[y * 100]);
    }
    return frame.storage == expected.storage;
  }

  MemorySource source;
  FileLoader loader{&source};
  GuardedDisplay frame{100, 50, 0xEE};
};

TEST_F(SpriteTest, LoadDecodesEachMethodAndSelectsTheWholeImage) {
  const Bytes fiveByFive = ramp(5, 5);
  Bytes largerBlock = bdiFile(0, 4, 4, fiveByFive, 25);  // a block larger than the image is fine
  largerBlock[2] = 0xFF;                                 // and so is any free byte
  const struct {
    Bytes file;
    int32_t width, height;
    Bytes pixels;
  } cases[] = {{storedFile(20, 10), 20, 10, ramp(20, 10)},
               {bdiFile(1, 5, 1, {0x83, 0x05, 0x02, 0x07, 0x08}, 5), 5, 1, {5, 5, 5, 7, 8}},
               {bdiFile(2, 2, 2, {0x01, 0x41, 0xEE, 0xF0}, 4), 2, 2, {0x41, 0x41, 0x41, 0x41}},
               {largerBlock, 4, 4, Bytes(fiveByFive.begin(), fiveByFive.begin() + 16)},
               // Images without columns or rows load and draw nothing.
               {bdiFile(0, 0, 7, {}, 0), 0, 7, {}},
               {bdiFile(1, 9, 0, {0x85, 3}, 5), 9, 0, {}},
               {bdiFile(2, 0, 0, {}, 0), 0, 0, {}}};
  for (const auto& c : cases) {
    Sprite sprite;
    const Rect small{1, 1, 2, 2};
    sprite.setSourceRect(&small);
    ASSERT_TRUE(load(sprite, c.file)) << c.width << "x" << c.height;
    EXPECT_EQ(sprite.width, c.width);
    EXPECT_EQ(sprite.height, c.height);
    EXPECT_EQ(Bytes(sprite.pixels, sprite.pixels + c.pixels.size()), c.pixels);
    EXPECT_TRUE(same(sprite.sourceRect, {0, 0, c.width, c.height}));
    // The header words are kept as stored.
    EXPECT_EQ(sprite.header[0], readLe32(&c.file[0]));
    EXPECT_EQ(sprite.header[3], readLe32(&c.file[12]));
    if (c.pixels.empty()) {
      frame.clear();
      sprite.draw(frame.display);
      EXPECT_TRUE(frame.untouched()) << c.width << "x" << c.height;
    }
  }
}

TEST_F(SpriteTest, RefusalsBeforeTheBlockIsReplacedLeaveThePreviousImage) {
  Bytes shortFile = storedFile(9, 9);
  shortFile.resize(15);
  Bytes swapped = storedFile(12, 3);
  std::swap(swapped[0], swapped[1]);
  const Bytes payload = ramp(6, 6);
  const struct {
    const char* what;
    Bytes file;
  } cases[] = {{"15 bytes", shortFile},
               {"swapped magic", swapped},
               {"stored size one short", bdiFile(0, 6, 6, payload, 36, 35)},
               {"stored size one over", bdiFile(0, 6, 6, payload, 36, 37)},
               {"block smaller than the image", bdiFile(0, 30, 20, ramp(30, 19), 30 * 19)},
               // 20 bytes asking for a block of a megabyte.
               {"block run-length cannot fill", bdiFile(1, 1000, 1000, {0xFF, 1, 0xFF, 2}, 1000000)}};
  Sprite sprite;
  ASSERT_TRUE(load(sprite, storedFile(8, 8)));
  const uint8_t* block = sprite.pixels;
  EXPECT_FALSE(sprite.load(loader, "data\\missing.bdi"));
  for (const auto& c : cases) {
    EXPECT_FALSE(load(sprite, c.file)) << c.what;
    if (c.file.size() >= 16) {
      EXPECT_EQ(sprite.header[1], readLe32(&c.file[4])) << c.what;  // kept even so
    }
    EXPECT_EQ(sprite.pixels, block) << c.what;
    EXPECT_TRUE(drawsRamp(sprite, 8, 8)) << c.what;
  }
}

// The largest block each coding can fill from n payload bytes: stored n; run-length 127 from
// every two; LZSS 144 from every 17 (a flag byte and eight 18-byte references), and from a
// partial group 18 a reference plus a last literal. A method without a decoder is bounded by the
// most any coding yields, and refused only after the block was replaced.
TEST_F(SpriteTest, BlockMayBeAsLargeAsThePayloadCanFillAndNoLarger) {
  const struct {
    uint8_t method;
    size_t payload;
    uint32_t largest;
  } cases[] = {{0, 0, 0},    {0, 16, 16},  {1, 1, 0},   {1, 2, 127}, {1, 3, 127},  {1, 10, 635},
               {2, 1, 0},    {2, 2, 1},    {2, 3, 18},  {2, 4, 19},  {2, 17, 144}, {2, 18, 144},
               {2, 20, 162}, {2, 34, 288}, {3, 2, 127}, {9, 4, 254}};
  for (const auto& c : cases) {
    for (const uint32_t pixelSize : {c.largest, c.largest + 1}) {
      Sprite sprite;
      ASSERT_TRUE(load(sprite, storedFile(3, 3)));
      const bool fits = pixelSize == c.largest;
      EXPECT_EQ(load(sprite, bdiFile(c.method, 1, pixelSize > 0, Bytes(c.payload, 0x80), pixelSize)),
                fits && c.method < 3)
          << "method " << int(c.method) << ", " << c.payload << " bytes, block " << pixelSize;
      EXPECT_EQ(sprite.width, fits ? 1 : 3) << "method " << int(c.method) << ", block " << pixelSize;
      frame.clear();
      sprite.draw(frame.display);
      EXPECT_EQ(frame.untouched(), fits && (c.method >= 3 || pixelSize == 0))
          << "method " << int(c.method) << ", block " << pixelSize;
    }
  }
}

TEST_F(SpriteTest, SourceRectangleKeyAndPositionsKeepDrawingInside) {
  Sprite sprite;
  EXPECT_EQ(sprite.colorKey, 255);
  sprite.setColorKey(255, 0, 255);
  EXPECT_EQ(sprite.colorKey, 248);
  ASSERT_TRUE(load(sprite, storedFile(64, 32)));
  const Rect cases[][2] = {
      {{-5, -5, 1000, 1000}, {0, 0, 64, 32}}, {{3, 4, 10, 12}, {3, 4, 10, 12}}, {{40, 0, 20, 10}, {40, 0, 20, 10}}};
  for (const auto& c : cases) {
    sprite.setSourceRect(&c[0]);
    EXPECT_TRUE(same(sprite.sourceRect, c[1])) << c[0].left << ", " << c[0].right;
  }
  sprite.draw(frame.display);  // the inverted rectangle left in place draws nothing
  sprite.setSourceRect(nullptr);
  EXPECT_TRUE(same(sprite.sourceRect, {0, 0, 64, 32}));
  const int32_t outside[][2] = {{INT_MAX, 0},       {INT_MIN, 0},       {0, INT_MAX},     {0, INT_MIN},
                                {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MAX - 5, 3}, {100, 50}};
  for (const auto& position : outside) {
    sprite.x = position[0];
    sprite.y = position[1];
    sprite.draw(frame.display);
  }
  Display noBuffer;
  sprite.draw(noBuffer);         // must not touch memory
  Sprite().draw(frame.display);  // no pixel block
  EXPECT_TRUE(frame.untouched());
  // The fields are public: a rectangle set directly, larger than the image, is cut to it.
  sprite.sourceRect = Rect{-8, -8, 500, 500};
  EXPECT_TRUE(drawsRamp(sprite, 64, 32));
}

}  // namespace
