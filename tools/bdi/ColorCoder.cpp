#include "tools/bdi/ColorCoder.h"

#include "render/BlendTables.h"

namespace {

// The channel reading that nearestColorCode measures distances with.
int red8(uint32_t v) {
  return static_cast<int>(v >> 8);
}
int green8(uint32_t v) {
  return static_cast<int>((v >> 3) & 0xFF);
}
int blue8(uint32_t v) {
  return static_cast<int>((v & 0x1F) << 3);
}

}  // namespace

uint16_t ColorCoder::pack565(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<uint16_t>(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3));
}

std::array<uint8_t, 3> ColorCoder::codeRgb(uint8_t code) {
  const uint32_t word = code * 0x101u;
  const uint32_t r5 = word >> 11;
  const uint32_t g6 = (word >> 5) & 0x3F;
  const uint32_t b5 = word & 0x1F;
  return {static_cast<uint8_t>((r5 << 3) | (r5 >> 2)), static_cast<uint8_t>((g6 << 2) | (g6 >> 4)),
          static_cast<uint8_t>((b5 << 3) | (b5 >> 2))};
}

void ColorCoder::setKeyColor(uint8_t r, uint8_t g, uint8_t b) {
  hasKeyColor_ = true;
  keyColor_ = {r, g, b};
}

bool ColorCoder::isKeyed(const uint8_t* rgba) const {
  if (!hasKey()) {
    return false;
  }
  if (keyTransparent_ && rgba[3] == 0) {
    return true;
  }
  return hasKeyColor_ && rgba[0] == keyColor_[0] && rgba[1] == keyColor_[1] && rgba[2] == keyColor_[2];
}

uint8_t ColorCoder::code(const uint8_t* rgba) {
  if (isKeyed(rgba)) {
    return static_cast<uint8_t>(keyCode_);
  }
  const uint16_t word = pack565(rgba[0], rgba[1], rgba[2]);
  int16_t& known = memo_[word];
  if (known < 0) {
    const uint8_t nearest = nearestColorCode(word);
    known = (hasKey() && nearest == keyCode_) ? nearestAvoidingKey(word) : nearest;
  }
  return static_cast<uint8_t>(known);
}

// The same search as nearestColorCode with the key code left out (ties to the lowest code).
uint8_t ColorCoder::nearestAvoidingKey(uint16_t word) {
  int bestDistance = 1 << 30;
  int best = 0;
  for (int i = 0; i < 256; ++i) {
    if (i == keyCode_) {
      continue;
    }
    const uint32_t w = static_cast<uint32_t>(i) * 0x101u;
    const int db = blue8(w) - blue8(word);
    const int dg = green8(w) - green8(word);
    const int dr = red8(w) - red8(word);
    const int distance = db * db + dg * dg + dr * dr;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return static_cast<uint8_t>(best);
}
