// Sprite: loading BDI files (what each refusal leaves behind), the source rectangle, the colour
// key, and draws that clipping must keep inside the buffer and the pixel block.
#include "render/Sprite.h"

#include "archive/FileLoader.h"
#include "render/BlendModes.h"
#include "tests/support/GuardedDisplay.h"
#include "tests/support/MemorySource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// A BDI file: header (magic, free byte, method, width, height, stored size, pixel size) and
// payload. The stored size is the true payload length unless given.
Bytes bdiFile(uint8_t method, uint32_t width, uint32_t height, const Bytes& payload, uint32_t pixelSize,
              int64_t storedSize = -1) {
  const uint32_t stored = storedSize < 0 ? static_cast<uint32_t>(payload.size()) : static_cast<uint32_t>(storedSize);
  const uint32_t words[] = {width | (height << 16), stored, pixelSize};
  Bytes file = {0x49, 0x42, 0x00, method};
  for (uint32_t word : words) {
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(word >> (8 * i)));
  }
  for (uint8_t b : payload) file.push_back(b);
  return file;
}

// A recognisable image: no code is 0 or the buffer's fill 0xEE.
Bytes ramp(int32_t width, int32_t height) {
  Bytes codes(static_cast<size_t>(width) * height);
  for (int32_t i = 0; i < width * height; ++i) codes[i] = static_cast<uint8_t>(1 + (i % width + 3 * (i / width)) % 200);
  return codes;
}

bool same(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

Bytes storedFile(int32_t width, int32_t height) {
  return bdiFile(0, width, height, ramp(width, height), width * height);
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
  Bytes freeByte = bdiFile(0, 4, 4, ramp(4, 4), 16 + 9);  // a larger block does not matter either
  freeByte[2] = 0xFF;
  const struct {
    Bytes file;
    int32_t width, height;
    Bytes pixels;
  } cases[] = {{storedFile(20, 10), 20, 10, ramp(20, 10)},
               {bdiFile(1, 5, 1, {0x83, 0x05, 0x02, 0x07, 0x08}, 5), 5, 1, {5, 5, 5, 7, 8}},
               {bdiFile(2, 2, 2, {0x01, 0x41, 0xEE, 0xF0}, 4), 2, 2, {0x41, 0x41, 0x41, 0x41}},
               {bdiFile(1, 3, 2, {}, 6), 3, 2, Bytes(6, 0)},  // header only: a new blank block
               {freeByte, 4, 4, ramp(4, 4)}};
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
    EXPECT_EQ(sprite.header[0], 0x49u | 0x42u << 8 | uint32_t(c.file[2]) << 16 | uint32_t(c.file[3]) << 24);
    EXPECT_EQ(sprite.header[1], uint32_t(c.width) | uint32_t(c.height) << 16);
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
    uint32_t header1;  // the file's size word, which the header keeps even when refused
  } cases[] = {{"15 bytes", shortFile, 8 | 8 << 16},
               {"swapped magic", swapped, 12 | 3 << 16},
               {"stored size one short", bdiFile(0, 6, 6, payload, 36, 35), 6 | 6 << 16},
               {"stored size one over", bdiFile(0, 6, 6, payload, 36, 37), 6 | 6 << 16},
               {"block smaller than the image", bdiFile(0, 30, 20, ramp(30, 19), 30 * 19), 30 | 20 << 16},
               {"no columns", bdiFile(0, 0, 20, {}, 0), 20 << 16},
               {"no rows", bdiFile(0, 20, 0, {}, 0), 20},
               {"empty run-length image", bdiFile(1, 0, 0, {1, 2}, 100), 0}};
  Sprite sprite;
  ASSERT_TRUE(load(sprite, storedFile(8, 8)));
  const uint8_t* block = sprite.pixels;
  EXPECT_FALSE(sprite.load(loader, "data\\missing.bdi"));
  for (const auto& c : cases) {
    EXPECT_FALSE(load(sprite, c.file)) << c.what;
    EXPECT_EQ(sprite.header[1], c.header1) << c.what;
    EXPECT_EQ(sprite.pixels, block) << c.what;
    EXPECT_EQ(sprite.sourceRect.right, 8) << c.what;
    EXPECT_TRUE(drawsRamp(sprite, 8, 8)) << c.what;
  }
}

TEST_F(SpriteTest, UnknownMethodReplacesTheBlockAndTheSpriteThenDrawsNothing) {
  Sprite sprite;
  ASSERT_TRUE(load(sprite, storedFile(40, 30)));
  EXPECT_FALSE(load(sprite, bdiFile(3, 4, 2, ramp(4, 2), 8)));
  // Size and block are the refused file's; the old 40 x 30 rectangle must not be used on them.
  EXPECT_EQ(sprite.width, 4);
  EXPECT_EQ(sprite.height, 2);
  for (int32_t mode : {Copy, Alpha, GreyGuarded}) {
    sprite.blendMode = mode;
    sprite.draw(frame.display);
    EXPECT_TRUE(frame.untouched()) << "mode " << mode;
  }
  ASSERT_TRUE(load(sprite, storedFile(5, 5)));
  EXPECT_TRUE(drawsRamp(sprite, 5, 5));
}

TEST_F(SpriteTest, SourceRectangleIsClampedToTheImage) {
  Sprite sprite;
  ASSERT_TRUE(load(sprite, storedFile(64, 32)));
  const struct {
    Rect given, kept;
  } cases[] = {
      {{-5, -5, 1000, 1000}, {0, 0, 64, 32}}, {{3, 4, 10, 12}, {3, 4, 10, 12}}, {{40, 0, 20, 10}, {40, 0, 20, 10}}};
  for (const auto& c : cases) {
    sprite.setSourceRect(&c.given);
    EXPECT_TRUE(same(sprite.sourceRect, c.kept)) << c.given.left << ", " << c.given.right;
  }
  sprite.draw(frame.display);  // the inverted rectangle left in place draws nothing
  EXPECT_TRUE(frame.untouched());
  sprite.setSourceRect(nullptr);
  EXPECT_TRUE(same(sprite.sourceRect, {0, 0, 64, 32}));
}

TEST_F(SpriteTest, ColourKeyIsTheNearestCodeAndWhiteAtFirst) {
  Sprite sprite;
  EXPECT_EQ(sprite.colorKey, 255);
  const uint32_t cases[][4] = {{255, 0, 255, 248}, {0, 0, 0, 0}, {255, 255, 255, 255}, {255, 0, 0, 224}};
  for (const auto& c : cases) {
    sprite.setColorKey(c[0], c[1], c[2]);
    EXPECT_EQ(sprite.colorKey, c[3]) << c[0] << ", " << c[1] << ", " << c[2];
  }
}

TEST_F(SpriteTest, FarPositionsAndRectanglesPastTheImageStayInside) {
  Sprite sprite;
  ASSERT_TRUE(load(sprite, storedFile(64, 64)));
  sprite.blendMode = Copy;
  const int32_t outside[][2] = {{INT_MAX, 0},       {INT_MIN, 0},       {0, INT_MAX},     {0, INT_MIN},
                                {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MAX - 5, 3}, {100 + 1000, 50 + 1000}};
  for (const auto& position : outside) {
    sprite.x = position[0];
    sprite.y = position[1];
    sprite.draw(frame.display);
    EXPECT_TRUE(frame.untouched()) << position[0] << ", " << position[1];
  }
  Display noBuffer;
  sprite.draw(noBuffer);  // must not touch memory
  Sprite empty;           // no pixel block
  empty.draw(frame.display);
  EXPECT_TRUE(frame.untouched());
  // The fields are public: a rectangle set directly, larger than the image, is cut to it.
  sprite.sourceRect = Rect{-8, -8, 500, 500};
  EXPECT_TRUE(drawsRamp(sprite, 64, 64));
}

}  // namespace
