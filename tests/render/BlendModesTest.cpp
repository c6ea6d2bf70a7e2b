// The fifteen blend routines through Sprite::draw against a per-pixel reference of the mode
// table, on tables whose every entry differs from its neighbours; the portable path against the
// fastest one; and the mode numbers that draw nothing.
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

using Bytes = std::vector<uint8_t>;

// Gives the sprite an image of its own (the sprite deletes it) and the whole image as its
// source rectangle.
void giveImage(Sprite& sprite, int32_t width, int32_t height, const Bytes& codes) {
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

// The rule of one mode for one pixel, straight from the mode table: the family (copy, alpha,
// add, subtract, grey) times 16 plus the variant (plain, keyed, guarded); -1 draws nothing.
uint8_t referencePixel(int32_t mode, uint8_t s, uint8_t d, int32_t a, uint8_t key, uint8_t g) {
  static const int kRules[21] = {0, 1, 2, 16, 17, 18, 32, 33, 34, 48, -1, -1, -1, -1, -1, -1, 49, 50, 64, 65, 66};
  const int rule = mode >= 0 && mode < 21 ? kRules[mode] : -1;
  if (rule < 0 || (rule % 16 == 1 && s == key) || (rule % 16 == 2 && d == g)) return d;
  const uint8_t results[] = {s, alphaTable[a][s][d], addTable[s][d], subTable[s][d], greyTable[s]};
  return results[rule / 16];
}

// The expected picture: every pixel of the source rectangle that lands inside the buffer gets
// the mode's rule at the given level and guard colour; nothing else changes.
Bytes referenceDraw(const Sprite& sprite, Bytes buffer, int32_t width, int32_t height, int32_t level, uint8_t guard) {
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
Bytes scatter(size_t count, uint8_t special, uint32_t seed) {
  std::mt19937 random(seed);
  Bytes codes(count);
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
        const Bytes before = scatter(W * H, param.guard, seed++);
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

// What builds without SSE2 draw must be what this one draws: random rectangles of odd widths
// (so that every step and every tail length runs) with their own strides.
TEST(BlendPaths, PortableRoutinesDrawWhatTheFastestDraw) {
  fillPatternTables();
  std::mt19937 random(77);
  for (int32_t mode = -1; mode <= kBlendModeSlots; ++mode) {
    ASSERT_EQ(blendRoutineFor(mode) == nullptr, portableBlendRoutineFor(mode) == nullptr) << "mode " << mode;
    for (int round = 0; blendRoutineFor(mode) && round < 40; ++round) {
      const int32_t w = 1 + 2 * static_cast<int32_t>(random() % 40), h = 1 + random() % 4;
      const int32_t dstStride = w + random() % 9, srcStride = w + random() % 9;
      const uint8_t guard = static_cast<uint8_t>(random());
      const Bytes source = scatter(srcStride * h, kKey, random());
      Bytes fast = scatter(dstStride * h, guard, random());
      Bytes portable = fast;
      const int32_t level = random() % 16;
      blendRoutineFor(mode)({fast.data(), dstStride, source.data(), srcStride, w, h, level, kKey, guard});
      portableBlendRoutineFor(mode)({portable.data(), dstStride, source.data(), srcStride, w, h, level, kKey, guard});
      ASSERT_EQ(fast, portable) << "mode " << mode << ", " << w << "x" << h;
    }
  }
}

// The fifteen per-mode members, each on a rectangle narrower than both strides: a member wired to
// another mode, or to the wrong stride, level or guard, draws another picture.
constexpr int32_t kStride = 23, kImageWidth = 19, kWidth = 17, kRows = 5, kLevel = 9;
constexpr uint8_t kGuard = 3;
using Member = void (*)(Sprite&, uint8_t*, const uint8_t*);
const struct {
  int32_t mode;
  Member member;
} kMembers[] = {
    {Copy, [](Sprite& s, auto d, auto p) { s.drawCopy(d, kStride, p, kWidth, kRows); }},
    {CopyKeyed, [](Sprite& s, auto d, auto p) { s.drawCopyKeyed(d, kStride, p, kWidth, kRows); }},
    {CopyGuarded, [](Sprite& s, auto d, auto p) { s.drawCopyGuarded(d, kStride, p, kWidth, kRows, kGuard); }},
    {Alpha, [](Sprite& s, auto d, auto p) { s.drawAlpha(d, kStride, p, kWidth, kRows, kLevel); }},
    {AlphaKeyed, [](Sprite& s, auto d, auto p) { s.drawAlphaKeyed(d, kStride, p, kWidth, kRows, kLevel); }},
    {AlphaGuarded, [](Sprite& s, auto d, auto p) { s.drawAlphaGuarded(d, kStride, p, kWidth, kRows, kLevel, kGuard); }},
    {Add, [](Sprite& s, auto d, auto p) { s.drawAdd(d, kStride, p, kWidth, kRows); }},
    {AddKeyed, [](Sprite& s, auto d, auto p) { s.drawAddKeyed(d, kStride, p, kWidth, kRows); }},
    {AddGuarded, [](Sprite& s, auto d, auto p) { s.drawAddGuarded(d, kStride, p, kWidth, kRows, kGuard); }},
    {Sub, [](Sprite& s, auto d, auto p) { s.drawSub(d, kStride, p, kWidth, kRows); }},
    {SubKeyed, [](Sprite& s, auto d, auto p) { s.drawSubKeyed(d, kStride, p, kWidth, kRows); }},
    {SubGuarded, [](Sprite& s, auto d, auto p) { s.drawSubGuarded(d, kStride, p, kWidth, kRows, kGuard); }},
    {Grey, [](Sprite& s, auto d, auto p) { s.drawGrey(d, kStride, p, kWidth, kRows); }},
    {GreyKeyed, [](Sprite& s, auto d, auto p) { s.drawGreyKeyed(d, kStride, p, kWidth, kRows); }},
    {GreyGuarded, [](Sprite& s, auto d, auto p) { s.drawGreyGuarded(d, kStride, p, kWidth, kRows, kGuard); }},
};

TEST(BlendMembers, EachDrawsTheRuleOfItsOwnMode) {
  fillPatternTables();
  for (const auto& [mode, member] : kMembers) {
    Sprite sprite;
    giveImage(sprite, kImageWidth, kRows, scatter(kImageWidth * kRows, kKey, mode));
    const Rect drawn{0, 0, kWidth, kRows};
    sprite.setSourceRect(&drawn);
    sprite.colorKey = kKey;
    sprite.blendMode = mode;
    Bytes buffer = scatter(kStride * kRows, kGuard, mode + 100);
    const Bytes expected = referenceDraw(sprite, buffer, kStride, kRows, kLevel, kGuard);
    member(sprite, buffer.data(), sprite.pixels);
    EXPECT_EQ(buffer, expected) << "mode " << mode;
  }
}

TEST(BlendDispatch, NumbersWithoutARoutineDrawNothing) {
  fillPatternTables();
  const Bytes before = scatter(32 * 16, 3, 9);
  for (int32_t mode : {10, 11, 12, 13, 14, 15, 21, 22, 255, -1, -16, INT_MAX, INT_MIN}) {
    GuardedDisplay frame(32, 16, 0xEE);
    frame.setPixels(before);
    Sprite sprite;
    giveImage(sprite, 16, 8, Bytes(16 * 8, 0x77));
    sprite.blendMode = mode;
    sprite.draw(frame.display);
    EXPECT_EQ(frame.pixels(), before) << "mode " << mode;
  }
}

}  // namespace
