#include "tools/bdi/ErrorDiffuser.h"

#include <algorithm>

namespace {

// Shares of the error, in sixteenths: the next pixel, then below behind, below and below ahead.
constexpr int kAhead = 7;
constexpr int kBelowBehind = 3;
constexpr int kBelow = 5;
// Errors are kept in sixteenths of a colour level.
constexpr int32_t kOne = 16;

}  // namespace

ErrorDiffuser::ErrorDiffuser(const ColorCoder& keys) : keys_(keys) {
  if (keys.hasKey()) palette_.avoid(static_cast<uint8_t>(keys.keyCode()));
}

std::vector<uint8_t> ErrorDiffuser::codes(const PngImage& image) {
  const int width = image.width();
  const int height = image.height();
  std::vector<uint8_t> out(static_cast<size_t>(width) * height);
  // Error owed to this row and the next, per channel, with a pixel of margin at either end so
  // that shares falling off the picture need no test.
  const size_t rowSize = (static_cast<size_t>(width) + 2) * 3;
  std::vector<int32_t> thisRow(rowSize, 0);
  std::vector<int32_t> nextRow(rowSize, 0);
  for (int y = 0; y < height; ++y) {
    // Serpentine: odd rows run right to left, so errors do not all drift the same way.
    const int step = y % 2 == 0 ? 1 : -1;
    for (int i = 0; i < width; ++i) {
      const int x = step > 0 ? i : width - 1 - i;
      const uint8_t* pixel = image.at(x, y);
      uint8_t& code = out[static_cast<size_t>(y) * width + x];
      if (keys_.isKeyed(pixel)) {
        code = static_cast<uint8_t>(keys_.keyCode());
        continue;
      }
      // The colour wanted here, in sixteenths of a level, kept inside what a pixel can show:
      // errors the codes cannot pay back (no code shows pure red or pure green) would otherwise
      // pile up, and the code finally taken to pay them would stand out (pink in a red area).
      int32_t* owed = &thisRow[(static_cast<size_t>(x) + 1) * 3];
      int32_t wanted[3];
      PerceptualPalette::Rgb nearest;
      for (int k = 0; k < 3; ++k) {
        wanted[k] = std::clamp(pixel[k] * kOne + owed[k], 0, 255 * kOne);
        nearest[k] = static_cast<uint8_t>((wanted[k] + kOne / 2) / kOne);
      }
      code = palette_.nearest(nearest);
      const auto shown = ColorCoder::codeRgb(code);
      int32_t* ahead = owed + step * 3;
      int32_t* below = &nextRow[(static_cast<size_t>(x) + 1) * 3];
      for (int k = 0; k < 3; ++k) {
        const int32_t error = wanted[k] - shown[k] * kOne;
        const int32_t a = error * kAhead / 16, bb = error * kBelowBehind / 16, b = error * kBelow / 16;
        ahead[k] += a;
        below[k - step * 3] += bb;
        below[k] += b;
        below[k + step * 3] += error - a - bb - b;  // the rest, so that rounding loses nothing
      }
    }
    thisRow.swap(nextRow);
    std::fill(nextRow.begin(), nextRow.end(), 0);
  }
  return out;
}
