#include "platform/win32/PixelBlock.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace platform {

namespace {

// Larger than any screen; keeps width x height x 2 far from overflowing.
constexpr int kMaxSide = 16384;

}  // namespace

std::shared_ptr<PixelBlock> PixelBlock::make(int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return nullptr;
  auto block = std::shared_ptr<PixelBlock>(new (std::nothrow) PixelBlock);
  if (!block) return nullptr;
  // Rows padded to 8 bytes, so the pitch a Lock reports is not always width x 2.
  int pitch = (width * 2 + 7) & ~7;
  size_t words = static_cast<size_t>(pitch / 2) * static_cast<size_t>(height);
  block->pixels.reset(new (std::nothrow) uint16_t[words]());
  if (!block->pixels) return nullptr;
  block->width = width;
  block->height = height;
  block->pitch = pitch;
  return block;
}

RECT intersectRects(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (rectEmpty(r)) r = RECT{0, 0, 0, 0};
  return r;
}

bool rectInside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom && inner.left <= inner.right && inner.top <= inner.bottom;
}

void fillPixels(PixelBlock& block, const RECT& area, uint16_t pixel) {
  for (LONG y = area.top; y < area.bottom; ++y) {
    uint16_t* row = block.row(y);
    std::fill(row + area.left, row + area.right, pixel);
  }
}

void stretchPixels(const PixelBlock& from, const RECT& source, PixelBlock& to, const RECT& destination,
                   const RECT& clip) {
  RECT visible = intersectRects(intersectRects(destination, clip), to.bounds());
  if (rectEmpty(visible) || rectEmpty(source) || rectEmpty(destination)) return;
  const int64_t sourceWidth = source.right - source.left;
  const int64_t sourceHeight = source.bottom - source.top;
  const int64_t destinationWidth = destination.right - destination.left;
  const int64_t destinationHeight = destination.bottom - destination.top;
  const bool sameSize = sourceWidth == destinationWidth && sourceHeight == destinationHeight;
  const bool samePixels = &from == &to;

  // Column map for the visible span: destination column -> source column, sampled at the
  // centre of each destination pixel.
  std::vector<int> columns;
  if (!sameSize) {
    columns.resize(static_cast<size_t>(visible.right - visible.left));
    for (LONG x = visible.left; x < visible.right; ++x) {
      int64_t offset = ((x - destination.left) * 2 + 1) * sourceWidth / (destinationWidth * 2);
      columns[static_cast<size_t>(x - visible.left)] = static_cast<int>(source.left + offset);
    }
  }
  // Stretching a surface onto itself reads from a copy so no pixel is read after being written.
  std::shared_ptr<PixelBlock> copy;
  const PixelBlock* input = &from;
  if (samePixels && !sameSize) {
    copy = PixelBlock::make(from.width, from.height);
    if (!copy) return;
    std::memcpy(copy->pixels.get(), from.pixels.get(), static_cast<size_t>(from.pitch) * from.height);
    input = copy.get();
  }

  // Copying a surface onto itself downwards goes from the bottom row up, so every row is read
  // before it is overwritten; memmove takes care of overlap within a row.
  const bool bottomUp = samePixels && sameSize && destination.top > source.top;
  const size_t rowBytes = static_cast<size_t>(visible.right - visible.left) * 2;
  int64_t previousSourceY = -1;
  const uint16_t* previousOut = nullptr;
  for (LONG step = 0; step < visible.bottom - visible.top; ++step) {
    LONG y = bottomUp ? visible.bottom - 1 - step : visible.top + step;
    int64_t sourceY = sameSize ? source.top + (y - destination.top)
                               : source.top + ((y - destination.top) * 2 + 1) * sourceHeight / (destinationHeight * 2);
    const uint16_t* in = input->row(static_cast<int>(sourceY));
    uint16_t* out = to.row(y) + visible.left;
    if (sameSize) {
      std::memmove(out, in + source.left + (visible.left - destination.left), rowBytes);
    } else if (sourceY == previousSourceY) {
      std::memcpy(out, previousOut, rowBytes);  // enlarging: this row repeats the one above
    } else {
      const int* column = columns.data();
      const size_t count = columns.size();
      for (size_t i = 0; i < count; ++i) out[i] = in[column[i]];
    }
    previousSourceY = sourceY;
    previousOut = out;
  }
}

}  // namespace platform
