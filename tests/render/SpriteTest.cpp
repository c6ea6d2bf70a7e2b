// Sprite: loading BDI files (what each refusal leaves behind), the source rectangle, the colour
// key, and clipping the drawn rectangle against the back buffer.
#include "render/Sprite.h"

#include "archive/ByteBuffer.h"
#include "archive/FileLoader.h"
#include "archive/FileSource.h"
#include "display/Display.h"
#include "render/BlendModes.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

// Whole files served from memory by name.
class MemorySource : public FileSource {
public:
  bool open(const std::string&) override { return true; }
  bool close() override { return true; }
  bool readFile(const std::string& name, ByteBuffer& buffer) override {
    auto found = files.find(name);
    if (found == files.end() || !buffer.resize(static_cast<int32_t>(found->second.size()))) {
      return false;
    }
    if (!found->second.empty()) {
      std::memcpy(buffer.data, found->second.data(), found->second.size());
    }
    return true;
  }
  bool readFile(const std::string& name, uint8_t*& block, int32_t& size) override {
    auto found = files.find(name);
    if (found == files.end()) {
      return false;
    }
    size = static_cast<int32_t>(found->second.size());
    block = new uint8_t[found->second.size() + 1];
    if (!found->second.empty()) {
      std::memcpy(block, found->second.data(), found->second.size());
    }
    return true;
  }

  std::map<std::string, std::vector<uint8_t>> files;
};

void putLe16(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  bytes[at] = static_cast<uint8_t>(value);
  bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

void putLe32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  putLe16(bytes, at, value & 0xFFFF);
  putLe16(bytes, at + 2, value >> 16);
}

// A BDI file: header (magic, free byte, method, width, height, stored size, pixel size) and
// payload. The stored size is the true payload length unless overridden.
std::vector<uint8_t> bdiFile(uint8_t method, uint32_t width, uint32_t height, const std::vector<uint8_t>& payload,
                             uint32_t pixelSize, int64_t storedSize = -1) {
  std::vector<uint8_t> file(16);
  file[0] = 0x49;
  file[1] = 0x42;
  file[2] = 0x00;
  file[3] = method;
  putLe16(file, 4, width);
  putLe16(file, 6, height);
  putLe32(file, 8, storedSize < 0 ? static_cast<uint32_t>(payload.size()) : static_cast<uint32_t>(storedSize));
  putLe32(file, 12, pixelSize);
  file.insert(file.end(), payload.begin(), payload.end());
  return file;
}

// A recognisable image: no code is 0 or the buffer's fill 0xEE.
std::vector<uint8_t> ramp(int32_t width, int32_t height) {
  std::vector<uint8_t> codes(static_cast<size_t>(width) * height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      codes[y * width + x] = static_cast<uint8_t>(1 + (x + 3 * y) % 200);
    }
  }
  return codes;
}

std::vector<uint8_t> storedFile(int32_t width, int32_t height) {
  return bdiFile(0, width, height, ramp(width, height), width * height);
}

constexpr uint8_t kFill = 0xEE;

class SpriteTest : public ::testing::Test {
protected:
  static constexpr int32_t W = 100;
  static constexpr int32_t H = 50;

  SpriteTest() : loader(&source), storage(W * H + 128, kFill) {
    display.width = W;
    display.height = H;
    display.bufferSize = W * H;
    display.buffer = storage.data() + 64;
  }
  ~SpriteTest() override { display.buffer = nullptr; }

  uint8_t at(int32_t x, int32_t y) const { return display.buffer[y * W + x]; }
  void clear() { std::fill(storage.begin(), storage.end(), kFill); }
  bool untouched() const {
    for (uint8_t b : storage) {
      if (b != kFill) {
        return false;
      }
    }
    return true;
  }
  bool loadFile(Sprite& sprite, const std::vector<uint8_t>& file) {
    source.files["data\\test.bdi"] = file;
    return sprite.load(loader, "data\\test.bdi");
  }
  // Draws with a plain copy and tells whether the first image's ramp appears at the origin.
  bool drawsRampAtOrigin(Sprite& sprite, int32_t width, int32_t height) {
    clear();
    sprite.x = 0;
    sprite.y = 0;
    sprite.blendMode = Copy;
    sprite.draw(display);
    const std::vector<uint8_t> expected = ramp(width, height);
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        if (at(x, y) != expected[y * width + x]) {
          return false;
        }
      }
    }
    return true;
  }

  MemorySource source;
  FileLoader loader;
  Display display;
  std::vector<uint8_t> storage;
};

// --- new sprites ----------------------------------------------------------------------------------

TEST_F(SpriteTest, NewSpriteIsEmptyWithWhiteKeyAndDrawsNothing) {
  Sprite sprite;
  EXPECT_EQ(sprite.pixels, nullptr);
  EXPECT_EQ(sprite.colorKey, 255);
  EXPECT_EQ(sprite.listIndex, 0);
  EXPECT_EQ(sprite.next, nullptr);
  EXPECT_EQ(sprite.width, 0);
  EXPECT_EQ(sprite.sourceRect.right, 0);
  sprite.draw(display);
  EXPECT_TRUE(untouched());
}

// --- loading ---------------------------------------------------------------------------------------

TEST_F(SpriteTest, StoredImageLoadsWithItsHeaderWordsAndWholeRectangle) {
  Sprite sprite;
  const Rect small{1, 1, 2, 2};
  sprite.setSourceRect(&small);
  ASSERT_TRUE(loadFile(sprite, storedFile(20, 10)));
  EXPECT_EQ(sprite.header[0], 0x00004249u);
  EXPECT_EQ(sprite.header[1], (10u << 16) | 20u);
  EXPECT_EQ(sprite.header[2], 200u);
  EXPECT_EQ(sprite.header[3], 200u);
  EXPECT_EQ(sprite.width, 20);
  EXPECT_EQ(sprite.height, 10);
  EXPECT_EQ(std::vector<uint8_t>(sprite.pixels, sprite.pixels + 200), ramp(20, 10));
  EXPECT_EQ(sprite.sourceRect.left, 0);
  EXPECT_EQ(sprite.sourceRect.top, 0);
  EXPECT_EQ(sprite.sourceRect.right, 20);
  EXPECT_EQ(sprite.sourceRect.bottom, 10);
}

TEST_F(SpriteTest, RunLengthAndLzssPayloadsDecodeIntoTheBlock) {
  Sprite rle;
  ASSERT_TRUE(loadFile(rle, bdiFile(1, 5, 1, {0x83, 0x05, 0x02, 0x07, 0x08}, 5)));
  EXPECT_EQ(std::vector<uint8_t>(rle.pixels, rle.pixels + 5), (std::vector<uint8_t>{5, 5, 5, 7, 8}));
  Sprite lzss;
  ASSERT_TRUE(loadFile(lzss, bdiFile(2, 2, 2, {0x01, 0x41, 0xEE, 0xF0}, 4)));
  EXPECT_EQ(std::vector<uint8_t>(lzss.pixels, lzss.pixels + 4), (std::vector<uint8_t>{0x41, 0x41, 0x41, 0x41}));
}

TEST_F(SpriteTest, HeaderOnlyFileIsAcceptedWithANewBlankBlock) {
  Sprite sprite;
  ASSERT_TRUE(loadFile(sprite, bdiFile(1, 3, 2, {}, 6)));
  EXPECT_EQ(sprite.width, 3);
  EXPECT_EQ(std::vector<uint8_t>(sprite.pixels, sprite.pixels + 6), std::vector<uint8_t>(6, 0));
}

TEST_F(SpriteTest, FreeByteAndALargerBlockDoNotMatter) {
  for (uint8_t free : {0x00, 0x03, 0xFF}) {
    std::vector<uint8_t> file = bdiFile(0, 4, 4, ramp(4, 4), 16 + 9);
    file[2] = free;
    Sprite sprite;
    EXPECT_TRUE(loadFile(sprite, file)) << int(free);
    EXPECT_TRUE(drawsRampAtOrigin(sprite, 4, 4));
  }
}

TEST_F(SpriteTest, UnreadableOrShortFileLeavesTheSpriteAsItWas) {
  Sprite sprite;
  ASSERT_TRUE(loadFile(sprite, storedFile(8, 8)));
  const uint32_t header1 = sprite.header[1];
  EXPECT_FALSE(sprite.load(loader, "data\\missing.bdi"));
  std::vector<uint8_t> shortFile = storedFile(9, 9);
  shortFile.resize(15);
  EXPECT_FALSE(loadFile(sprite, shortFile));
  EXPECT_EQ(sprite.header[1], header1);
  EXPECT_EQ(sprite.width, 8);
  EXPECT_TRUE(drawsRampAtOrigin(sprite, 8, 8));
}

TEST_F(SpriteTest, WrongMagicIsRefusedAfterTheHeaderWasCopied) {
  Sprite sprite;
  ASSERT_TRUE(loadFile(sprite, storedFile(8, 8)));
  uint8_t* firstBlock = sprite.pixels;
  std::vector<uint8_t> swapped = storedFile(12, 3);
  swapped[0] = 0x42;
  swapped[1] = 0x49;
  EXPECT_FALSE(loadFile(sprite, swapped));
  EXPECT_EQ(sprite.header[0] & 0xFFFF, 0x4942u);
  EXPECT_EQ(sprite.header[1], (3u << 16) | 12u);
  EXPECT_EQ(sprite.width, 8);
  EXPECT_EQ(sprite.height, 8);
  EXPECT_EQ(sprite.pixels, firstBlock);
  EXPECT_TRUE(drawsRampAtOrigin(sprite, 8, 8));
}

TEST_F(SpriteTest, StoredSizeMustMatchTheFileLength) {
  Sprite sprite;
  ASSERT_TRUE(loadFile(sprite, storedFile(8, 8)));
  for (int64_t delta : {-1, 1}) {
    const std::vector<uint8_t> payload = ramp(6, 6);
    EXPECT_FALSE(loadFile(sprite, bdiFile(0, 6, 6, payload, 36, static_cast<int64_t>(payload.size()) + delta)));
    EXPECT_EQ(sprite.width, 8);
    EXPECT_TRUE(drawsRampAtOrigin(sprite, 8, 8));
  }
}

TEST_F(SpriteTest, ImagesTheBlockCannotHoldAreRefusedAndTheOldImageStays) {
  Sprite sprite;
  ASSERT_TRUE(loadFile(sprite, storedFile(8, 8)));
  // A block smaller than width x height, and images with no rows or no columns.
  EXPECT_FALSE(loadFile(sprite, bdiFile(0, 30, 20, ramp(30, 19), 30 * 19)));
  EXPECT_EQ(sprite.header[1], (20u << 16) | 30u);
  EXPECT_FALSE(loadFile(sprite, bdiFile(0, 0, 20, {}, 0)));
  EXPECT_FALSE(loadFile(sprite, bdiFile(0, 20, 0, {}, 0)));
  EXPECT_FALSE(loadFile(sprite, bdiFile(1, 0, 0, {1, 2}, 100)));
  EXPECT_EQ(sprite.width, 8);
  EXPECT_EQ(sprite.height, 8);
  EXPECT_EQ(sprite.sourceRect.right, 8);
  EXPECT_TRUE(drawsRampAtOrigin(sprite, 8, 8));
}

TEST_F(SpriteTest, UnknownMethodReplacesTheBlockAndTheSpriteThenDrawsNothing) {
  Sprite sprite;
  ASSERT_TRUE(loadFile(sprite, storedFile(40, 30)));
  EXPECT_FALSE(loadFile(sprite, bdiFile(3, 4, 2, ramp(4, 2), 8)));
  // Width, height and block are the refused file's; the rectangle of the old 40 x 30 image
  // must not be used on the 8-byte block.
  EXPECT_EQ(sprite.width, 4);
  EXPECT_EQ(sprite.height, 2);
  EXPECT_NE(sprite.pixels, nullptr);
  clear();
  sprite.blendMode = Copy;
  sprite.draw(display);
  EXPECT_TRUE(untouched());
  // The next good load brings the sprite back.
  ASSERT_TRUE(loadFile(sprite, storedFile(5, 5)));
  EXPECT_TRUE(drawsRampAtOrigin(sprite, 5, 5));
}

// --- source rectangle and colour key -------------------------------------------------------------

TEST_F(SpriteTest, SourceRectangleIsClampedToTheImage) {
  Sprite sprite;
  ASSERT_TRUE(loadFile(sprite, storedFile(64, 32)));
  const Rect wide{-5, -5, 1000, 1000};
  sprite.setSourceRect(&wide);
  EXPECT_EQ(sprite.sourceRect.left, 0);
  EXPECT_EQ(sprite.sourceRect.top, 0);
  EXPECT_EQ(sprite.sourceRect.right, 64);
  EXPECT_EQ(sprite.sourceRect.bottom, 32);
  const Rect inner{3, 4, 10, 12};
  sprite.setSourceRect(&inner);
  EXPECT_EQ(sprite.sourceRect.left, 3);
  EXPECT_EQ(sprite.sourceRect.bottom, 12);
  sprite.setSourceRect(nullptr);
  EXPECT_EQ(sprite.sourceRect.right, 64);
  EXPECT_EQ(sprite.sourceRect.bottom, 32);
}

TEST_F(SpriteTest, InvertedRectangleIsKeptAndDrawsNothing) {
  Sprite sprite;
  ASSERT_TRUE(loadFile(sprite, storedFile(64, 32)));
  const Rect inverted{40, 0, 20, 10};
  sprite.setSourceRect(&inverted);
  EXPECT_EQ(sprite.sourceRect.left, 40);
  EXPECT_EQ(sprite.sourceRect.right, 20);
  EXPECT_EQ(sprite.sourceRect.bottom, 10);
  sprite.blendMode = Copy;
  sprite.draw(display);
  EXPECT_TRUE(untouched());
}

TEST_F(SpriteTest, RectangleDrawsItsOwnPixelsAtThePosition) {
  Sprite sprite;
  ASSERT_TRUE(loadFile(sprite, storedFile(64, 32)));
  const Rect window{32, 0, 64, 32};  // one animation frame, 32 wide
  sprite.setSourceRect(&window);
  sprite.x = 10;
  sprite.y = 5;
  sprite.blendMode = Copy;
  sprite.draw(display);
  const std::vector<uint8_t> image = ramp(64, 32);
  EXPECT_EQ(at(10, 5), image[32]);
  EXPECT_EQ(at(41, 36), image[31 * 64 + 63]);
  EXPECT_EQ(at(9, 5), kFill);
  EXPECT_EQ(at(42, 5), kFill);
}

TEST_F(SpriteTest, ColourKeyIsTheNearestCode) {
  Sprite sprite;
  sprite.setColorKey(255, 0, 255);
  EXPECT_EQ(sprite.colorKey, 248);
  sprite.setColorKey(0, 0, 0);
  EXPECT_EQ(sprite.colorKey, 0);
  sprite.setColorKey(255, 255, 255);
  EXPECT_EQ(sprite.colorKey, 255);
}

// --- clipping against the back buffer ------------------------------------------------------------

class SpriteClipTest : public SpriteTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(loadFile(sprite, storedFile(64, 64)));
    image = ramp(64, 64);
    sprite.blendMode = Copy;
  }
  // Expects image pixel (ix, iy) at buffer (bx, by) for the whole block of the given size.
  void expectBlock(int32_t bx, int32_t by, int32_t ix, int32_t iy, int32_t w, int32_t h) {
    for (int32_t dy = 0; dy < h; ++dy) {
      for (int32_t dx = 0; dx < w; ++dx) {
        ASSERT_EQ(at(bx + dx, by + dy), image[(iy + dy) * 64 + ix + dx])
            << "buffer (" << bx + dx << ", " << by + dy << ")";
      }
    }
  }
  int32_t changed() const {
    int32_t count = 0;
    for (uint8_t b : storage) {
      count += b != kFill;
    }
    return count;
  }
  void drawAt(int32_t x, int32_t y) {
    clear();
    sprite.x = x;
    sprite.y = y;
    sprite.draw(display);
  }

  Sprite sprite;
  std::vector<uint8_t> image;
};

TEST_F(SpriteClipTest, LeftEdgeDropsTheImageColumnsOutside) {
  drawAt(-10, 0);
  expectBlock(0, 0, 10, 0, 54, 50);
  EXPECT_EQ(changed(), 54 * 50);
}

TEST_F(SpriteClipTest, RightEdgeKeepsTheFirstColumns) {
  drawAt(W - 20, -14);
  expectBlock(W - 20, 0, 0, 14, 20, 50);
  EXPECT_EQ(changed(), 20 * 50);
}

TEST_F(SpriteClipTest, TopAndBottomEdges) {
  drawAt(5, -60);
  expectBlock(5, 0, 0, 60, 64, 4);
  EXPECT_EQ(changed(), 64 * 4);
  drawAt(30, H - 3);
  expectBlock(30, H - 3, 0, 0, 64, 3);
  EXPECT_EQ(changed(), 64 * 3);
}

TEST_F(SpriteClipTest, EachCorner) {
  drawAt(-60, -61);
  expectBlock(0, 0, 60, 61, 4, 3);
  EXPECT_EQ(changed(), 4 * 3);
  drawAt(W - 2, -63);
  expectBlock(W - 2, 0, 0, 63, 2, 1);
  EXPECT_EQ(changed(), 2 * 1);
  drawAt(-63, H - 1);
  expectBlock(0, H - 1, 63, 0, 1, 1);
  EXPECT_EQ(changed(), 1);
  drawAt(W - 7, H - 5);
  expectBlock(W - 7, H - 5, 0, 0, 7, 5);
  EXPECT_EQ(changed(), 7 * 5);
}

TEST_F(SpriteClipTest, WhollyOutsideDrawsNothing) {
  const int32_t outside[][2] = {{W, 0},       {-64, 0},         {0, H},        {0, -64},     {W + 1000, H + 1000},
                                {INT_MAX, 0}, {INT_MIN, 0},     {0, INT_MAX},  {0, INT_MIN}, {INT_MIN, INT_MIN},
                                {INT_MAX, INT_MAX}, {INT_MAX - 5, 3}};
  for (const auto& position : outside) {
    drawAt(position[0], position[1]);
    EXPECT_TRUE(untouched()) << position[0] << ", " << position[1];
  }
}

TEST_F(SpriteClipTest, WiderThanTheBufferIsCutOnBothSides) {
  Sprite wide;
  ASSERT_TRUE(loadFile(wide, storedFile(300, 4)));
  wide.blendMode = Copy;
  wide.x = -50;
  wide.y = 10;
  wide.draw(display);
  const std::vector<uint8_t> wideImage = ramp(300, 4);
  for (int32_t x = 0; x < W; ++x) {
    ASSERT_EQ(at(x, 10), wideImage[50 + x]) << x;
  }
  EXPECT_EQ(changed(), W * 4);
}

TEST_F(SpriteClipTest, ARectangleWrittenPastTheImageStillReadsOnlyTheImage) {
  // The fields are public: a rectangle set directly, larger than the image, is cut to it.
  sprite.sourceRect = Rect{-8, -8, 500, 500};
  drawAt(0, 0);
  expectBlock(0, 0, 0, 0, 64, 50);
  EXPECT_EQ(changed(), 64 * 50);
}

TEST_F(SpriteClipTest, NoBackBufferDrawsNothing) {
  Display empty;
  sprite.draw(empty);
  EXPECT_EQ(empty.buffer, nullptr);
}

}  // namespace
