#pragma once

// The blend tables' formulas taken literally, one full scan over all 256 codes per nearest code,
// as the reference that computeBlendTables must equal byte for byte (the table test holds the
// fast tables against it; the table benchmark times it beside them).

#include "render/BlendTables.h"

#include <cstring>
#include <vector>

namespace naive {

inline int red8(uint32_t v) {
  return static_cast<int>(v >> 8);
}
inline int green8(uint32_t v) {
  return static_cast<int>((v >> 3) & 0xFF);
}
inline int blue8(uint32_t v) {
  return static_cast<int>((v & 0x1F) << 3);
}
inline uint32_t pack565(int r, int g, int b) {
  return ((static_cast<uint32_t>(r) & 0xF8) << 8) | ((static_cast<uint32_t>(g) & 0xFC) << 3) |
         (static_cast<uint32_t>(b) >> 3);
}
inline uint32_t codeWord(int c) {
  return static_cast<uint32_t>(c) * 0x101;
}
inline int clampHigh(int v) {
  return v < 255 ? v : 255;
}
inline int clampLow(int v) {
  return v > 0 ? v : 0;
}

// The code nearest to an RGB565 word (low 16 bits), ties to the lowest code, leaving out avoided.
inline uint8_t nearest(uint32_t rgb, int avoided = -1) {
  const uint32_t v = rgb & 0xFFFF;
  int bestDistance = 65535;
  int bestCode = 0;
  for (int i = 0; i < 256; ++i) {
    if (i == avoided) continue;
    const uint32_t w = codeWord(i);
    const int db = blue8(w) - blue8(v), dg = green8(w) - green8(v), dr = red8(w) - red8(v);
    const int distance = db * db + dg * dg + dr * dr;
    if (distance < bestDistance) {
      bestDistance = distance;
      bestCode = i;
    }
  }
  return static_cast<uint8_t>(bestCode);
}

// The four tables in the file layout; nearestOf maps each formula's RGB565 word to its code.
template <typename Nearest>
void tables(std::vector<uint8_t>& image, Nearest nearestOf) {
  image.resize(kBlendTableFileSize);
  uint8_t* alpha = image.data() + kAlphaTableOffset;
  for (uint32_t a = 0; a < 16; ++a) {
    for (int s = 0; s < 256; ++s) {
      for (int d = 0; d < 256; ++d) {
        // Field by field: 5-bit red, 6-bit green, 5-bit blue, each (S * a + D * (16 - a)) / 16.
        const uint32_t S = codeWord(s), D = codeWord(d);
        const uint32_t r = ((S >> 11) * a + (D >> 11) * (16 - a)) / 16;
        const uint32_t g = (((S >> 5) & 0x3F) * a + ((D >> 5) & 0x3F) * (16 - a)) / 16;
        const uint32_t b = ((S & 0x1F) * a + (D & 0x1F) * (16 - a)) / 16;
        *alpha++ = nearestOf((r << 11) | (g << 5) | b);
      }
    }
  }
  uint8_t* add = image.data() + kAddTableOffset;
  uint8_t* sub = image.data() + kSubTableOffset;
  for (int s = 0; s < 256; ++s) {
    for (int d = 0; d < 256; ++d) {
      const uint32_t S = codeWord(s), D = codeWord(d);
      *add++ = nearestOf(
          pack565(clampHigh(red8(S) + red8(D)), clampHigh(green8(S) + green8(D)), clampHigh(blue8(S) + blue8(D))));
      *sub++ = nearestOf(
          pack565(clampLow(red8(S) - red8(D)), clampLow(green8(S) - green8(D)), clampLow(blue8(S) - blue8(D))));
    }
  }
  for (int c = 0; c < 256; ++c) {
    const uint32_t C = codeWord(c);
    const int q = (3 * red8(C) + 6 * green8(C) + blue8(C)) / 10;
    image[kGreyTableOffset + c] = nearestOf(pack565(q, q, q));
  }
}

// The tables the program holds now, in the file layout.
inline std::vector<uint8_t> heldTables() {
  std::vector<uint8_t> image(kBlendTableFileSize);
  storeBlendTables(image.data());
  return image;
}

}  // namespace naive
