#include "render/Sprite.h"

#include "archive/ByteBuffer.h"
#include "archive/FileLoader.h"
#include "archive/LittleEndian.h"
#include "display/Display.h"
#include "render/BdiFormat.h"
#include "render/BlendTables.h"

#include <algorithm>
#include <new>

Sprite::Sprite()
    : x(0),
      y(0),
      blendMode(0),
      blendParam(0),
      sourceRect{0, 0, 0, 0},
      header{0, 0, 0, 0},
      width(0),
      height(0),
      pixels(nullptr),
      colorKey(255) {}

Sprite::~Sprite() {
  delete[] pixels;
  pixels = nullptr;
}

bool Sprite::load(FileLoader& loader, const std::string& name) {
  ByteBuffer file;  // released on every path by its destructor
  if (!loader.readFile(name, file) || file.size < BdiHeader::kSize) {
    return false;
  }
  // The header words describe the file last looked at, even one refused below.
  for (int32_t i = 0; i < 4; ++i) {
    header[i] = readLe32(file.data + 4 * i);
  }
  BdiHeader bdi;
  const BdiCheck check = checkBdiFile(file.data, static_cast<uint64_t>(file.size), bdi);
  // Up to here a refused file leaves the previous image in place. A method without a decoder is
  // refused only after the block has been replaced: the sprite then holds a blank block of the
  // new size and draws nothing.
  if (check != BdiCheck::Ok && check != BdiCheck::UnknownMethod) {
    return false;
  }
  width = bdi.width;
  height = bdi.height;
  delete[] pixels;
  // Zero-filled, so bytes a short payload leaves undecoded are black rather than stale heap.
  pixels = new (std::nothrow) uint8_t[bdi.pixelSize]();
  // The decoders cannot fail: whatever the payload yields, inside the block, is the image.
  if (pixels && decodeBdiPayload(bdi.method, file.data + BdiHeader::kSize, bdi.storedSize, pixels, bdi.pixelSize)) {
    setSourceRect(nullptr);
    return true;
  }
  // Refused after the old block was let go: the source rectangle may describe the old image,
  // so it is emptied and the sprite draws nothing until a load succeeds.
  sourceRect = Rect{0, 0, 0, 0};
  return false;
}

void Sprite::setSourceRect(const Rect* rect) {
  if (!rect) {
    sourceRect = Rect{0, 0, width, height};
    return;
  }
  sourceRect = *rect;
  sourceRect.left = std::max(sourceRect.left, 0);
  sourceRect.top = std::max(sourceRect.top, 0);
  sourceRect.right = std::min(sourceRect.right, width);
  sourceRect.bottom = std::min(sourceRect.bottom, height);
}

void Sprite::setColorKey(uint32_t red, uint32_t green, uint32_t blue) {
  colorKey = nearestColorCode(pack565(red, green, blue));
}

void Sprite::draw(Display& display) {
  if (!blendRoutineFor(blendMode) || !pixels || !display.buffer || display.width <= 0 || display.height <= 0) {
    return;
  }
  // 64-bit arithmetic: positions anywhere in the 32-bit range cannot overflow the clipping.
  const int64_t bufferWidth = display.width;
  const int64_t bufferHeight = display.height;
  int64_t dx = x;
  int64_t dy = y;
  // The rectangle is kept inside the image here as well as in setSourceRect, because the
  // fields are public: whatever they hold, the routines only ever read the pixel block.
  int64_t left = std::max(sourceRect.left, 0);
  int64_t top = std::max(sourceRect.top, 0);
  int64_t right = std::min(sourceRect.right, width);
  int64_t bottom = std::min(sourceRect.bottom, height);
  if (dy < 0) {
    top -= dy;
    dy = 0;
  }
  if (dx < 0) {
    left -= dx;
    dx = 0;
  }
  if ((right - left) + dx > bufferWidth) {
    right = bufferWidth - dx + left;
  }
  if ((bottom - top) + dy > bufferHeight) {
    bottom = bufferHeight - dy + top;
  }
  const int64_t clippedWidth = right - left;
  const int64_t clippedHeight = bottom - top;
  if (clippedWidth <= 0 || clippedHeight <= 0) {
    return;
  }
  run(blendMode, display.buffer + dy * bufferWidth + dx, display.width, pixels + top * width + left,
      static_cast<int32_t>(clippedWidth), static_cast<int32_t>(clippedHeight), blendLevel(blendParam),
      blendGuard(blendParam));
}

void Sprite::run(int32_t mode, uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h, int32_t level,
                 uint8_t guard) const {
  blendRoutineFor(mode)(BlendJob{dst, dstStride, src, width, w, h, level, colorKey, guard});
}

void Sprite::drawCopy(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h) {
  run(Copy, dst, dstStride, src, w, h, 0, 0);
}

void Sprite::drawCopyKeyed(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h) {
  run(CopyKeyed, dst, dstStride, src, w, h, 0, 0);
}

void Sprite::drawCopyGuarded(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h, uint8_t guard) {
  run(CopyGuarded, dst, dstStride, src, w, h, 0, guard);
}

void Sprite::drawAlpha(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h, int32_t level) {
  run(Alpha, dst, dstStride, src, w, h, level, 0);
}

void Sprite::drawAlphaKeyed(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h, int32_t level) {
  run(AlphaKeyed, dst, dstStride, src, w, h, level, 0);
}

void Sprite::drawAlphaGuarded(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h, int32_t level,
                              uint8_t guard) {
  run(AlphaGuarded, dst, dstStride, src, w, h, level, guard);
}

void Sprite::drawAdd(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h) {
  run(Add, dst, dstStride, src, w, h, 0, 0);
}

void Sprite::drawAddKeyed(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h) {
  run(AddKeyed, dst, dstStride, src, w, h, 0, 0);
}

void Sprite::drawAddGuarded(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h, uint8_t guard) {
  run(AddGuarded, dst, dstStride, src, w, h, 0, guard);
}

void Sprite::drawSub(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h) {
  run(Sub, dst, dstStride, src, w, h, 0, 0);
}

void Sprite::drawSubKeyed(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h) {
  run(SubKeyed, dst, dstStride, src, w, h, 0, 0);
}

void Sprite::drawSubGuarded(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h, uint8_t guard) {
  run(SubGuarded, dst, dstStride, src, w, h, 0, guard);
}

void Sprite::drawGrey(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h) {
  run(Grey, dst, dstStride, src, w, h, 0, 0);
}

void Sprite::drawGreyKeyed(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h) {
  run(GreyKeyed, dst, dstStride, src, w, h, 0, 0);
}

void Sprite::drawGreyGuarded(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h, uint8_t guard) {
  run(GreyGuarded, dst, dstStride, src, w, h, 0, guard);
}
