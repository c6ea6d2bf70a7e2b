#include "tools/bdi/ColorCoder.h"

#include "render/BlendTables.h"
#include "tools/bdi/PngImage.h"

std::array<uint8_t, 3> ColorCoder::codeRgb(uint8_t code) {
  const uint32_t word = codeWord(code);
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
  const uint32_t word = pack565(rgba[0], rgba[1], rgba[2]);
  int16_t& known = memo_[word];
  if (known < 0) {
    known = hasKey() ? nearestColorCodeAvoiding(word, static_cast<uint8_t>(keyCode_)) : nearestColorCode(word);
  }
  return static_cast<uint8_t>(known);
}

std::vector<uint8_t> ColorCoder::codes(const PngImage& image) {
  std::vector<uint8_t> out;
  out.reserve(static_cast<size_t>(image.width()) * image.height());
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) out.push_back(code(image.at(x, y)));
  }
  return out;
}
