#pragma once

#include <cstdint>
#include <memory>

#include <windows.h>

namespace platform {

// The memory of a 16-bit surface: `height` rows of `width` RGB565 pixels, `pitch` bytes apart.
// Shared, because a flip swaps blocks between surfaces and the screen keeps showing the front
// block after its surface is gone.
struct PixelBlock {
  int width = 0;
  int height = 0;
  int pitch = 0;  // bytes
  std::unique_ptr<uint16_t[]> pixels;

  // A zeroed block, or null when the size is not positive, too large or memory runs out.
  static std::shared_ptr<PixelBlock> make(int width, int height);

  uint16_t* row(int y) { return pixels.get() + static_cast<ptrdiff_t>(y) * (pitch / 2); }
  const uint16_t* row(int y) const { return pixels.get() + static_cast<ptrdiff_t>(y) * (pitch / 2); }
  RECT bounds() const { return RECT{0, 0, width, height}; }
};

// Rectangle helpers (right and bottom exclusive, as in Win32).
inline bool rectEmpty(const RECT& r) {
  return r.right <= r.left || r.bottom <= r.top;
}
RECT intersectRects(const RECT& a, const RECT& b);
bool rectInside(const RECT& inner, const RECT& outer);

// Fills `area` (already inside the block) with one pixel value.
void fillPixels(PixelBlock& block, const RECT& area, uint16_t pixel);

// Copies `source` (a rectangle of `from`) onto `destination` (a rectangle in `to`'s coordinates,
// which may reach outside `to`), stretching with nearest-neighbour sampling; only the part of
// `destination` inside `clip` is written. Same sizes copy rows directly.
void stretchPixels(const PixelBlock& from, const RECT& source, PixelBlock& to, const RECT& destination,
                   const RECT& clip);

// RGB565 from a GDI colour value (0x00BBGGRR).
inline uint16_t pixelOfColour(COLORREF colour) {
  unsigned red = colour & 0xFF;
  unsigned green = (colour >> 8) & 0xFF;
  unsigned blue = (colour >> 16) & 0xFF;
  return static_cast<uint16_t>(((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3));
}

}  // namespace platform
