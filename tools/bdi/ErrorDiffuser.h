#pragma once

#include <cstdint>
#include <vector>

#include "tools/bdi/ColorCoder.h"
#include "tools/bdi/PerceptualPalette.h"
#include "tools/bdi/PngImage.h"

// Codes a picture with error diffusion (Floyd-Steinberg, serpentine): what a pixel's code misses
// of its colour is handed on to the pixels not yet coded, so areas average to their true colour
// where the fixed codes have no match. Photographs and soft shading come out far closer to the
// eye; pixel art drawn in code colours (other than the key code's) comes out exactly as the plain
// coding gives it, since no pixel misses anything.
//
// Keyed pixels take the key code and neither receive nor hand on error; no other pixel takes it.
class ErrorDiffuser {
public:
  explicit ErrorDiffuser(const ColorCoder& keys);

  std::vector<uint8_t> codes(const PngImage& image);

private:
  const ColorCoder& keys_;
  PerceptualPalette palette_;
};
