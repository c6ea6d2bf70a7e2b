#include "tools/bdi/PerceptualPalette.h"

#include <cstddef>

#include "tools/bdi/ColorCoder.h"

namespace {

// Codes come in 32 red levels of 8 codes each: code c has red level c >> 3.
constexpr int kLevels = 32;
constexpr int kCodesPerLevel = 8;
constexpr uint32_t kRedWeightFloor = 512;  // the least weight a red difference has in distance
constexpr size_t kMemoSize = size_t{1} << 16;
constexpr uint32_t kEmpty = ~0u;

}  // namespace

PerceptualPalette::PerceptualPalette() : memo_(kMemoSize, kEmpty) {
  for (int c = 0; c < 256; ++c) shown_[c] = ColorCoder::codeRgb(static_cast<uint8_t>(c));
}

void PerceptualPalette::avoid(uint8_t code) {
  avoided_ = code;
  memo_.assign(kMemoSize, kEmpty);
}

uint32_t PerceptualPalette::distance(const Rgb& a, const Rgb& b) {
  const int32_t mean = (a[0] + b[0]) / 2;
  const int32_t dr = a[0] - b[0], dg = a[1] - b[1], db = a[2] - b[2];
  return static_cast<uint32_t>((512 + mean) * dr * dr + 1024 * dg * dg + (767 - mean) * db * db);
}

uint8_t PerceptualPalette::search(const Rgb& rgb) const {
  uint32_t best = ~0u;
  int bestCode = 0;
  // Levels outward from the one of rgb's red; a level is skipped once its red difference alone
  // costs more than the best so far.
  const int home = rgb[0] >> 3;
  for (int step = 0; step < 2 * kLevels; ++step) {
    const int level = step % 2 == 0 ? home + step / 2 : home - (step + 1) / 2;
    if (level < 0 || level >= kLevels) continue;
    const int32_t dr = shown_[level * kCodesPerLevel][0] - rgb[0];
    if (kRedWeightFloor * static_cast<uint32_t>(dr * dr) > best) continue;
    for (int code = level * kCodesPerLevel; code < (level + 1) * kCodesPerLevel; ++code) {
      if (code == avoided_) continue;
      const uint32_t d = distance(shown_[code], rgb);
      if (d < best || (d == best && code < bestCode)) {
        best = d;
        bestCode = code;
      }
    }
  }
  return static_cast<uint8_t>(bestCode);
}

uint8_t PerceptualPalette::nearest(const Rgb& rgb) {
  const uint32_t colour = static_cast<uint32_t>(rgb[0]) << 16 | rgb[1] << 8 | rgb[2];
  uint32_t& entry = memo_[(colour * 2654435761u) >> 16];
  if (entry == kEmpty || entry >> 8 != colour) entry = colour << 8 | search(rgb);
  return static_cast<uint8_t>(entry);
}
