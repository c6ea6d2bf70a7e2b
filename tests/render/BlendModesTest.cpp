// The fifteen blend routines, through Sprite::draw and through the per-mode members, against a
// per-pixel reference of the mode table, on tables whose every entry differs from its
// neighbours; and the mode numbers that draw nothing.
#include "render/BlendModes.h"
#include "render/BlendTables.h"
#include "render/Sprite.h"

#include "tests/support/GuardedDisplay.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <vector>

namespace {

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

// Every table entry differs from its neighbours along each index, so a swapped, shifted or
// wrong-table index reads a different code.
uint8_t mix(uint32_t a, uint32_t b, uint32_t c, uint32_t salt) {
  uint32_t h = a * 0x9E3779B1u ^ b * 0x85EBCA6Bu ^ c * 0xC2B2AE35u ^ salt;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  return static_cast<uint8_t>(h ^ (h >> 13));
}

void fillPatternTables() {
  for (uint32_t s = 0; s < 256; ++s) {
    for (uint32_t d = 0; d < 256; ++d) {
      for (uint32_t a = 0; a < 16; ++a) alphaTable[a][s][d] = mix(a, s, d, 1);
      addTable[s][d] = mix(s, d, 0, 2);
      subTable[s][d] = mix(s, d, 0, 3);
    }
    greyTable[s] = mix(s, 0, 0, 4);
  }
}

// The rule of one mode for one pixel, straight from the mode table.
uint8_t referencePixel(int32_t mode, uint8_t s, uint8_t d, int32_t a, uint8_t key, uint8_t g) {
  switch (mode) {
    case 0:
      return s;
    case 1:
      return s != key ? s : d;
    case 2:
      return d != g ? s : d;
    case 3:
      return alphaTable[a][s][d];
    case 4:
      return s != key ? alphaTable[a][s][d] : d;
    case 5:
      return d != g ? alphaTable[a][s][d] : d;
    case 6:
      return addTable[s][d];
    case 7:
      return s != key ? addTable[s][d] : d;
    case 8:
      return d != g ? addTable[s][d] : d;
    case 9:
      return subTable[s][d];
    case 16:
      return s != key ? subTable[s][d] : d;
    case 17:
      return d != g ? subTable[s][d] : d;
    case 18:
      return greyTable[s];
    case 19:
      return s != key ? greyTable[s] : d;
    case 20:
      return d != g ? greyTable[s] : d;
    default:
      return d;
  }
}

// The expected picture: every pixel of the source rectangle that lands inside the buffer gets
// the mode's rule at the given level and guard colour; nothing else changes.
std::vector<uint8_t> referenceDraw(const Sprite& sprite, std::vector<uint8_t> buffer, int32_t width, int32_t height,
                                   int32_t level, uint8_t guard) {
  const Rect& r = sprite.sourceRect;
  for (int64_t iy = r.top; iy < r.bottom; ++iy) {
    for (int64_t ix = r.left; ix < r.right; ++ix) {
      const int64_t bx = static_cast<int64_t>(sprite.x) + ix - r.left;
      const int64_t by = static_cast<int64_t>(sprite.y) + iy - r.top;
      if (bx >= 0 && by >= 0 && bx < width && by < height) {
        uint8_t& d = buffer[by * width + bx];
        d = referencePixel(sprite.blendMode, sprite.pixels[iy * sprite.width + ix], d, level, sprite.colorKey, guard);
      }
    }
  }
  return buffer;
}

constexpr uint8_t kKey = 248;

// Random codes with about one in five equal to special (a key or a guard colour).
std::vector<uint8_t> scatter(size_t count, uint8_t special, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> codes(count);
  for (uint8_t& c : codes) c = random() % 5 == 0 ? special : static_cast<uint8_t>(random());
  return codes;
}

class EveryMode : public ::testing::TestWithParam<int32_t> {
protected:
  void SetUp() override { fillPatternTables(); }
};

TEST_P(EveryMode, MatchesTheReferenceAtEveryEdgeAndCorner) {
  const int32_t mode = GetParam();
  constexpr int32_t W = 97;
  constexpr int32_t H = 61;
  // Widths below, at and past the 8- and 16-pixel steps, so each loop and its row tail run; one
  // image wider and taller than the buffer, drawn through an inner source rectangle.
  const struct {
    int32_t w, h;
    Rect rect;
  } sizes[] = {{37, 23, {0, 0, 37, 23}}, {16, 16, {0, 0, 16, 16}}, {1, 1, {0, 0, 1, 1}}, {130, 70, {9, 4, 121, 67}}};
  // blendParam 0x0305 is level 5 and guard colour 3; bits above 15 change nothing.
  const struct {
    int32_t value, level;
    uint8_t guard;
  } params[] = {{0x0305, 5, 3}, {0x5A5A0305, 5, 3}, {static_cast<int32_t>(0xFFFF9B0Cu), 12, 0x9B}, {0x0000, 0, 0}};
  uint32_t seed = 1;
  for (const auto& size : sizes) {
    const int32_t w = size.rect.right - size.rect.left;
    const int32_t h = size.rect.bottom - size.rect.top;
    for (int32_t x : {0, 5, -10, -w + 1, W - w, W - 20, W - 1, W, -w}) {
      for (int32_t y : {0, 7, -5, -h + 1, H - h, H - 3, H - 1, H, -h}) {
        const auto& param = params[(seed / 2) % 4];  // seed goes up by two a draw
        GuardedDisplay frame(W, H, 0xEE);
        const std::vector<uint8_t> before = scatter(W * H, param.guard, seed++);
        frame.setPixels(before);
        Sprite sprite;
        giveImage(sprite, size.w, size.h, scatter(size.w * size.h, kKey, seed++));
        sprite.setSourceRect(&size.rect);
        sprite.colorKey = kKey;
        sprite.x = x;
        sprite.y = y;
        sprite.blendMode = mode;
        sprite.blendParam = param.value;
        sprite.draw(frame.display);
        ASSERT_EQ(frame.pixels(), referenceDraw(sprite, before, W, H, param.level, param.guard))
            << "mode " << mode << ", size " << size.w << "x" << size.h << " at (" << x << ", " << y << ") param "
            << std::hex << param.value;
        ASSERT_TRUE(frame.bandsIntact());
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BlendModes, EveryMode, ::testing::Values(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 16, 17, 18, 19, 20));

TEST(BlendDispatch, NumbersWithoutARoutineDrawNothing) {
  fillPatternTables();
  const std::vector<uint8_t> before = scatter(32 * 16, 3, 9);
  for (int32_t mode : {10, 11, 12, 13, 14, 15, 21, 22, 255, -1, -16, INT_MAX, INT_MIN}) {
    GuardedDisplay frame(32, 16, 0xEE);
    frame.setPixels(before);
    Sprite sprite;
    giveImage(sprite, 16, 8, std::vector<uint8_t>(16 * 8, 0x77));
    sprite.blendMode = mode;
    sprite.draw(frame.display);
    EXPECT_EQ(frame.pixels(), before) << "mode " << mode;
    EXPECT_EQ(blendRoutineFor(mode), nullptr) << "mode " << mode;
  }
}

// The members take a rectangle already clipped: the source stride and the key are the sprite's,
// and an empty rectangle writes nothing.
TEST(BlendDispatch, MemberRoutinesApplyTheirModeWithTheSpriteStrideAndKey) {
  fillPatternTables();
  using Member = void (*)(Sprite&, uint8_t*, int32_t, int32_t);
  const struct {
    int32_t mode;
    Member call;
  } members[] = {
      {Copy, [](Sprite& s, uint8_t* d, auto w, auto h) { s.drawCopy(d, 24, s.pixels + 2, w, h); }},
      {CopyKeyed, [](Sprite& s, uint8_t* d, auto w, auto h) { s.drawCopyKeyed(d, 24, s.pixels + 2, w, h); }},
      {CopyGuarded, [](Sprite& s, uint8_t* d, auto w, auto h) { s.drawCopyGuarded(d, 24, s.pixels + 2, w, h, 3); }},
      {Alpha, [](Sprite& s, uint8_t* d, auto w, auto h) { s.drawAlpha(d, 24, s.pixels + 2, w, h, 5); }},
      {AlphaKeyed, [](Sprite& s, uint8_t* d, auto w, auto h) { s.drawAlphaKeyed(d, 24, s.pixels + 2, w, h, 5); }},
      {AlphaGuarded,
       [](Sprite& s, uint8_t* d, auto w, auto h) { s.drawAlphaGuarded(d, 24, s.pixels + 2, w, h, 5, 3); }},
      {Add, [](Sprite& s, uint8_t* d, auto w, auto h) { s.drawAdd(d, 24, s.pixels + 2, w, h); }},
      {AddKeyed, [](Sprite& s, uint8_t* d, auto w, auto h) { s.drawAddKeyed(d, 24, s.pixels + 2, w, h); }},
      {AddGuarded, [](Sprite& s, uint8_t* d, auto w, auto h) { s.drawAddGuarded(d, 24, s.pixels + 2, w, h, 3); }},
      {Sub, [](Sprite& s, uint8_t* d, auto w, auto h) { s.drawSub(d, 24, s.pixels + 2, w, h); }},
      {SubKeyed, [](Sprite& s, uint8_t* d, auto w, auto h) { s.drawSubKeyed(d, 24, s.pixels + 2, w, h); }},
      {SubGuarded, [](Sprite& s, uint8_t* d, auto w, auto h) { s.drawSubGuarded(d, 24, s.pixels + 2, w, h, 3); }},
      {Grey, [](Sprite& s, uint8_t* d, auto w, auto h) { s.drawGrey(d, 24, s.pixels + 2, w, h); }},
      {GreyKeyed, [](Sprite& s, uint8_t* d, auto w, auto h) { s.drawGreyKeyed(d, 24, s.pixels + 2, w, h); }},
      {GreyGuarded, [](Sprite& s, uint8_t* d, auto w, auto h) { s.drawGreyGuarded(d, 24, s.pixels + 2, w, h, 3); }},
  };
  Sprite sprite;
  giveImage(sprite, 30, 3, scatter(30 * 3, kKey, 31));
  sprite.colorKey = kKey;
  const std::vector<uint8_t> before = scatter(24 * 3, 3, 32);
  for (const auto& member : members) {
    std::vector<uint8_t> buffer = before;
    for (int32_t w : {0, -1, 17}) {
      for (int32_t h : {0, -3, 3}) {
        if (w <= 0 || h <= 0) member.call(sprite, buffer.data(), w, h);
      }
    }
    EXPECT_EQ(buffer, before) << "mode " << member.mode << " drew an empty rectangle";
    member.call(sprite, buffer.data(), 17, 3);
    // The same as drawing source columns 2 to 18 at the buffer's origin.
    const Rect columns{2, 0, 19, 3};
    sprite.setSourceRect(&columns);
    sprite.blendMode = member.mode;
    EXPECT_EQ(buffer, referenceDraw(sprite, before, 24, 3, 5, 3)) << "mode " << member.mode;
  }
}

}  // namespace
