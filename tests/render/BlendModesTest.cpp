// The fifteen blend routines through Sprite::draw: every mode against a per-pixel reference
// (clipped at every edge and corner, keyed and guarded forms, level and guard taken from
// blendParam), the numbers that draw nothing, and the blend rules on the computed tables.
#include "render/BlendModes.h"
#include "render/BlendTables.h"
#include "render/Sprite.h"

#include "display/Display.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr uint8_t kGuardByte = 0xEE;
constexpr int32_t kGuardBand = 64;

// A back buffer with guard bands before and after it, so a write outside shows up.
class Frame {
public:
  Frame(int32_t width, int32_t height) : storage(static_cast<size_t>(width) * height + 2 * kGuardBand, kGuardByte) {
    display.width = width;
    display.height = height;
    display.bufferSize = width * height;
    display.buffer = storage.data() + kGuardBand;
  }
  ~Frame() { display.buffer = nullptr; }

  std::vector<uint8_t> pixels() const {
    return std::vector<uint8_t>(display.buffer, display.buffer + display.bufferSize);
  }
  void setPixels(const std::vector<uint8_t>& codes) { std::memcpy(display.buffer, codes.data(), codes.size()); }
  bool bandsIntact() const {
    for (int32_t i = 0; i < kGuardBand; ++i) {
      if (storage[i] != kGuardByte || storage[storage.size() - 1 - i] != kGuardByte) {
        return false;
      }
    }
    return true;
  }

  Display display;
  std::vector<uint8_t> storage;
};

// Gives the sprite an image of its own (the sprite deletes it) and the whole image as its
// source rectangle.
void giveImage(Sprite& sprite, int32_t width, int32_t height, const std::vector<uint8_t>& codes) {
  delete[] sprite.pixels;
  sprite.width = width;
  sprite.height = height;
  sprite.pixels = new uint8_t[codes.size()];
  std::memcpy(sprite.pixels, codes.data(), codes.size());
  sprite.setSourceRect(nullptr);
}

// Every table entry different from its neighbours along each index, so a swapped, shifted or
// wrong-table index reads a different code.
uint8_t mix(uint32_t a, uint32_t b, uint32_t c, uint32_t salt) {
  uint32_t h = a * 0x9E3779B1u ^ b * 0x85EBCA6Bu ^ c * 0xC2B2AE35u ^ salt;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 13;
  return static_cast<uint8_t>(h);
}

void fillPatternTables() {
  for (uint32_t a = 0; a < 16; ++a) {
    for (uint32_t s = 0; s < 256; ++s) {
      for (uint32_t d = 0; d < 256; ++d) {
        alphaTable[a][s][d] = mix(a, s, d, 1);
      }
    }
  }
  for (uint32_t s = 0; s < 256; ++s) {
    for (uint32_t d = 0; d < 256; ++d) {
      addTable[s][d] = mix(s, d, 0, 2);
      subTable[s][d] = mix(s, d, 0, 3);
    }
    greyTable[s] = mix(s, 0, 0, 4);
  }
}

bool drawsSomething(int32_t mode) { return (mode >= 0 && mode <= 9) || (mode >= 16 && mode <= 20); }

// The rule of one mode for one pixel, straight from the mode table.
uint8_t referencePixel(int32_t mode, uint8_t s, uint8_t d, int32_t param, uint8_t key) {
  const int32_t a = param & 0xF;
  const uint8_t g = static_cast<uint8_t>((param >> 8) & 0xFF);
  switch (mode) {
    case 0: return s;
    case 1: return s != key ? s : d;
    case 2: return d != g ? s : d;
    case 3: return alphaTable[a][s][d];
    case 4: return s != key ? alphaTable[a][s][d] : d;
    case 5: return d != g ? alphaTable[a][s][d] : d;
    case 6: return addTable[s][d];
    case 7: return s != key ? addTable[s][d] : d;
    case 8: return d != g ? addTable[s][d] : d;
    case 9: return subTable[s][d];
    case 16: return s != key ? subTable[s][d] : d;
    case 17: return d != g ? subTable[s][d] : d;
    case 18: return greyTable[s];
    case 19: return s != key ? greyTable[s] : d;
    case 20: return d != g ? greyTable[s] : d;
    default: return d;
  }
}

// The expected picture, pixel by pixel: every pixel of the source rectangle that lands inside
// the buffer gets the mode's rule, nothing else changes.
std::vector<uint8_t> referenceDraw(const Sprite& sprite, std::vector<uint8_t> buffer, int32_t width, int32_t height) {
  if (!drawsSomething(sprite.blendMode)) {
    return buffer;
  }
  const Rect& r = sprite.sourceRect;
  for (int64_t iy = r.top; iy < r.bottom; ++iy) {
    for (int64_t ix = r.left; ix < r.right; ++ix) {
      const int64_t bx = static_cast<int64_t>(sprite.x) + ix - r.left;
      const int64_t by = static_cast<int64_t>(sprite.y) + iy - r.top;
      if (bx < 0 || by < 0 || bx >= width || by >= height) {
        continue;
      }
      uint8_t& d = buffer[by * width + bx];
      d = referencePixel(sprite.blendMode, sprite.pixels[iy * sprite.width + ix], d, sprite.blendParam,
                         sprite.colorKey);
    }
  }
  return buffer;
}

constexpr uint8_t kKey = 248;
constexpr uint8_t kGuard = 3;

// Random codes with about one in five equal to special (a key or a guard colour).
std::vector<uint8_t> scatter(size_t count, uint8_t special, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> codes(count);
  for (uint8_t& c : codes) {
    c = random() % 5 == 0 ? special : static_cast<uint8_t>(random());
  }
  return codes;
}

// --- every mode against the reference, with patterned tables ------------------------------------

class EveryMode : public ::testing::TestWithParam<int32_t> {
protected:
  void SetUp() override { fillPatternTables(); }
};

TEST_P(EveryMode, MatchesTheReferenceAtEveryEdgeAndCorner) {
  const int32_t mode = GetParam();
  constexpr int32_t W = 97;
  constexpr int32_t H = 61;
  struct Size {
    int32_t w;
    int32_t h;
  };
  // Widths below, at and past the 8- and 16-pixel steps, so each loop and its row tail run.
  const Size sizes[] = {{37, 23}, {70, 9}, {16, 16}, {1, 1}, {130, 70}};
  uint32_t seed = 1;
  for (const Size& size : sizes) {
    const std::vector<int32_t> xs = {0, 5, -10, -size.w + 1, W - size.w, W - 20, W - 1, W, -size.w};
    const std::vector<int32_t> ys = {0, 7, -5, -size.h + 1, H - size.h, H - 3, H - 1, H, -size.h};
    for (int32_t x : xs) {
      for (int32_t y : ys) {
        Frame frame(W, H);
        const std::vector<uint8_t> before = scatter(W * H, kGuard, seed++);
        frame.setPixels(before);
        Sprite sprite;
        giveImage(sprite, size.w, size.h, scatter(size.w * size.h, kKey, seed++));
        sprite.colorKey = kKey;
        sprite.x = x;
        sprite.y = y;
        sprite.blendMode = mode;
        sprite.blendParam = (kGuard << 8) | 7;
        sprite.draw(frame.display);
        ASSERT_EQ(frame.pixels(), referenceDraw(sprite, before, W, H))
            << "size " << size.w << "x" << size.h << " at (" << x << ", " << y << ")";
        ASSERT_TRUE(frame.bandsIntact());
      }
    }
  }
}

TEST_P(EveryMode, DrawsOnlyTheSourceRectangle) {
  const int32_t mode = GetParam();
  Frame frame(64, 40);
  const std::vector<uint8_t> before = scatter(64 * 40, kGuard, 77);
  frame.setPixels(before);
  Sprite sprite;
  giveImage(sprite, 50, 30, scatter(50 * 30, kKey, 78));
  sprite.colorKey = kKey;
  const Rect inner{9, 4, 41, 27};
  sprite.setSourceRect(&inner);
  sprite.x = -3;
  sprite.y = 20;
  sprite.blendMode = mode;
  sprite.blendParam = (kGuard << 8) | 12;
  sprite.draw(frame.display);
  EXPECT_EQ(frame.pixels(), referenceDraw(sprite, before, 64, 40));
}

TEST_P(EveryMode, BitsAboveFifteenOfTheParameterHaveNoEffect) {
  const int32_t mode = GetParam();
  const std::vector<uint8_t> before = scatter(40 * 20, kGuard, 5);
  std::vector<uint8_t> results[3];
  const int32_t params[3] = {0x0305, 0x5A5A0305, static_cast<int32_t>(0xFFFF0305u)};
  for (int i = 0; i < 3; ++i) {
    Frame frame(40, 20);
    frame.setPixels(before);
    Sprite sprite;
    giveImage(sprite, 33, 17, scatter(33 * 17, kKey, 6));
    sprite.colorKey = kKey;
    sprite.x = 4;
    sprite.y = 2;
    sprite.blendMode = mode;
    sprite.blendParam = params[i];
    sprite.draw(frame.display);
    results[i] = frame.pixels();
  }
  EXPECT_EQ(results[1], results[0]);
  EXPECT_EQ(results[2], results[0]);
}

std::string modeName(const ::testing::TestParamInfo<int32_t>& info) {
  static const char* const names[kBlendModeSlots] = {
      "Copy",     "CopyKeyed", "CopyGuarded", "Alpha", "AlphaKeyed", "AlphaGuarded", "Add",
      "AddKeyed", "AddGuarded", "Sub",        "",      "",           "",             "",
      "",         "",          "SubKeyed",    "SubGuarded", "Grey",  "GreyKeyed",    "GreyGuarded"};
  return names[info.param];
}

INSTANTIATE_TEST_SUITE_P(BlendModes, EveryMode, ::testing::Values(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 16, 17, 18, 19, 20),
                         modeName);

// --- numbers without a routine -------------------------------------------------------------------

class BlendDispatch : public ::testing::Test {
protected:
  void SetUp() override { fillPatternTables(); }
};

TEST_F(BlendDispatch, NumbersWithoutARoutineDrawNothing) {
  const int32_t silent[] = {10, 11, 12, 13, 14, 15, 21, 22, 255, -1, -16, INT_MAX, INT_MIN};
  const std::vector<uint8_t> before = scatter(32 * 16, kGuard, 9);
  for (int32_t mode : silent) {
    Frame frame(32, 16);
    frame.setPixels(before);
    Sprite sprite;
    giveImage(sprite, 16, 8, std::vector<uint8_t>(16 * 8, 0x77));
    sprite.blendMode = mode;
    sprite.draw(frame.display);
    EXPECT_EQ(frame.pixels(), before) << "mode " << mode;
    EXPECT_EQ(blendRoutineFor(mode), nullptr) << "mode " << mode;
  }
}

// --- the parameter 0x0305: level 5, guard colour 3 -----------------------------------------------

TEST_F(BlendDispatch, Parameter0305BlendsAtLevelFiveAndProtectsCodeThree) {
  // Destination: code 3 on even columns, 200 on odd ones; source: code 90 everywhere.
  std::vector<uint8_t> before(16);
  for (int i = 0; i < 16; ++i) {
    before[i] = i % 2 == 0 ? 3 : 200;
  }
  for (int32_t mode : {2, 3, 5}) {
    Frame frame(16, 1);
    frame.setPixels(before);
    Sprite sprite;
    giveImage(sprite, 16, 1, std::vector<uint8_t>(16, 90));
    sprite.blendMode = mode;
    sprite.blendParam = 0x0305;
    sprite.draw(frame.display);
    const std::vector<uint8_t> after = frame.pixels();
    for (int i = 0; i < 16; ++i) {
      const uint8_t d = before[i];
      uint8_t expected = 0;
      if (mode == 2) {
        expected = d == 3 ? 3 : 90;
      } else if (mode == 3) {
        expected = alphaTable[5][90][d];
      } else {
        expected = d == 3 ? 3 : alphaTable[5][90][d];
      }
      EXPECT_EQ(after[i], expected) << "mode " << mode << " column " << i;
    }
  }
}

// --- the per-mode members ------------------------------------------------------------------------

TEST_F(BlendDispatch, MemberRoutinesUseTheSpriteStrideAndKey) {
  Sprite sprite;
  std::vector<uint8_t> image(10 * 3);
  for (size_t i = 0; i < image.size(); ++i) {
    image[i] = static_cast<uint8_t>(i);
  }
  giveImage(sprite, 10, 3, image);
  sprite.colorKey = 12;
  std::vector<uint8_t> buffer(6 * 3, 0xAA);
  // Columns 1 to 4 of rows 0 to 2 into a buffer of stride 6; source code 12 is the key.
  sprite.drawCopyKeyed(buffer.data(), 6, sprite.pixels + 1, 4, 3);
  const std::vector<uint8_t> expected = {1,  2,  3,  4,  0xAA, 0xAA, 11, 0xAA, 13, 14, 0xAA, 0xAA,
                                         21, 22, 23, 24, 0xAA, 0xAA};
  EXPECT_EQ(buffer, expected);
}

TEST_F(BlendDispatch, MemberRoutinesWriteNothingForEmptyRectangles) {
  Sprite sprite;
  giveImage(sprite, 8, 8, std::vector<uint8_t>(64, 9));
  std::vector<uint8_t> buffer(64, 0xAA);
  for (int32_t w : {0, -1, 8}) {
    for (int32_t h : {0, -3, 8}) {
      if (w > 0 && h > 0) {
        continue;
      }
      sprite.drawCopy(buffer.data(), 8, sprite.pixels, w, h);
      sprite.drawCopyKeyed(buffer.data(), 8, sprite.pixels, w, h);
      sprite.drawCopyGuarded(buffer.data(), 8, sprite.pixels, w, h, 1);
      sprite.drawAlpha(buffer.data(), 8, sprite.pixels, w, h, 7);
      sprite.drawAlphaKeyed(buffer.data(), 8, sprite.pixels, w, h, 7);
      sprite.drawAlphaGuarded(buffer.data(), 8, sprite.pixels, w, h, 7, 1);
      sprite.drawAdd(buffer.data(), 8, sprite.pixels, w, h);
      sprite.drawAddKeyed(buffer.data(), 8, sprite.pixels, w, h);
      sprite.drawAddGuarded(buffer.data(), 8, sprite.pixels, w, h, 1);
      sprite.drawSub(buffer.data(), 8, sprite.pixels, w, h);
      sprite.drawSubKeyed(buffer.data(), 8, sprite.pixels, w, h);
      sprite.drawSubGuarded(buffer.data(), 8, sprite.pixels, w, h, 1);
      sprite.drawGrey(buffer.data(), 8, sprite.pixels, w, h);
      sprite.drawGreyKeyed(buffer.data(), 8, sprite.pixels, w, h);
      sprite.drawGreyGuarded(buffer.data(), 8, sprite.pixels, w, h, 1);
    }
  }
  EXPECT_EQ(buffer, std::vector<uint8_t>(64, 0xAA));
}

TEST_F(BlendDispatch, MemberRoutinesApplyTheirOwnRule) {
  Sprite sprite;
  const std::vector<uint8_t> image = scatter(24 * 2, kKey, 31);
  giveImage(sprite, 24, 2, image);
  sprite.colorKey = kKey;
  const std::vector<uint8_t> before = scatter(24 * 2, kGuard, 32);
  using Member = void (*)(Sprite&, uint8_t*);
  struct Case {
    int32_t mode;
    Member call;
  };
  const Case cases[] = {
      {3, [](Sprite& s, uint8_t* d) { s.drawAlpha(d, 24, s.pixels, 24, 2, 9); }},
      {4, [](Sprite& s, uint8_t* d) { s.drawAlphaKeyed(d, 24, s.pixels, 24, 2, 9); }},
      {5, [](Sprite& s, uint8_t* d) { s.drawAlphaGuarded(d, 24, s.pixels, 24, 2, 9, kGuard); }},
      {8, [](Sprite& s, uint8_t* d) { s.drawAddGuarded(d, 24, s.pixels, 24, 2, kGuard); }},
      {16, [](Sprite& s, uint8_t* d) { s.drawSubKeyed(d, 24, s.pixels, 24, 2); }},
      {20, [](Sprite& s, uint8_t* d) { s.drawGreyGuarded(d, 24, s.pixels, 24, 2, kGuard); }},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> buffer = before;
    c.call(sprite, buffer.data());
    sprite.blendMode = c.mode;
    sprite.blendParam = (kGuard << 8) | 9;
    EXPECT_EQ(buffer, referenceDraw(sprite, before, 24, 2)) << "mode " << c.mode;
  }
}

// --- the rules on the computed tables ------------------------------------------------------------

class ComputedTables : public ::testing::Test {
protected:
  static void SetUpTestSuite() { computeBlendTables(); }

  // One row: the sprite's codes over the given back-buffer codes with a mode and parameter.
  static std::vector<uint8_t> blendRow(const std::vector<uint8_t>& source, const std::vector<uint8_t>& destination,
                                       int32_t mode, int32_t param, uint8_t key = 255) {
    Frame frame(static_cast<int32_t>(destination.size()), 1);
    frame.setPixels(destination);
    Sprite sprite;
    giveImage(sprite, static_cast<int32_t>(source.size()), 1, source);
    sprite.colorKey = key;
    sprite.blendMode = mode;
    sprite.blendParam = param;
    sprite.draw(frame.display);
    return frame.pixels();
  }
};

TEST_F(ComputedTables, AlphaLevelZeroKeepsTheBufferAndFifteenIsAlmostTheSource) {
  const std::vector<uint8_t> source = scatter(40, 255, 11);
  const std::vector<uint8_t> destination = scatter(40, 0, 12);
  EXPECT_EQ(blendRow(source, destination, Alpha, 0), destination);
  EXPECT_EQ(blendRow(std::vector<uint8_t>(20, 255), std::vector<uint8_t>(20, 0), Alpha, 15),
            std::vector<uint8_t>(20, 254));
}

TEST_F(ComputedTables, AddOfBlackAndSubtractFromBlackChangeNothing) {
  const std::vector<uint8_t> codes = scatter(50, 7, 13);
  EXPECT_EQ(blendRow(std::vector<uint8_t>(50, 0), codes, Add, 0), codes);
  EXPECT_EQ(blendRow(codes, std::vector<uint8_t>(50, 0), Sub, 0), codes);
}

TEST_F(ComputedTables, GreyIgnoresTheDestination) {
  const std::vector<uint8_t> source = scatter(30, 0x80, 14);
  const std::vector<uint8_t> a = blendRow(source, scatter(30, 1, 15), Grey, 0);
  const std::vector<uint8_t> b = blendRow(source, scatter(30, 2, 16), Grey, 0);
  EXPECT_EQ(a, b);
  for (size_t i = 0; i < source.size(); ++i) {
    EXPECT_EQ(a[i], greyTable[source[i]]);
  }
  EXPECT_EQ(blendRow({0x80}, {9}, Grey, 0), std::vector<uint8_t>{41});
}

TEST_F(ComputedTables, GuardZeroDrawsOnlyOverWhatIsAlreadyThere) {
  std::vector<uint8_t> destination(35, 0);
  for (size_t i = 0; i < destination.size(); i += 3) {
    destination[i] = 120;
  }
  const std::vector<uint8_t> after = blendRow(std::vector<uint8_t>(35, 77), destination, CopyGuarded, 0x0000);
  for (size_t i = 0; i < destination.size(); ++i) {
    EXPECT_EQ(after[i], destination[i] == 0 ? 0 : 77) << i;
  }
}

}  // namespace
