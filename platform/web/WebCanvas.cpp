#include "platform/web/WebCanvas.h"

#include <emscripten.h>

namespace {

// clang-format off
// The RGBA bytes are read straight out of the program's memory (no copy before putImageData's
// own); the memory may have grown and been replaced since the last call, so HEAPU8 is taken anew.
// The first rendered frame on the canvas is noted for the page (how long it took to appear).
EM_JS(void, putPicture, (const uint8_t* rgba, int width, int height, int frame), {
  const canvas = Module.canvas;
  if (canvas.width != width || canvas.height != height) {
    canvas.width = width;
    canvas.height = height;
    if (Module.onCanvasResized) Module.onCanvasResized();
  }
  const pixels = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
  canvas.getContext('2d').putImageData(new ImageData(pixels, width, height), 0, 0);
  if (frame && Module.firstFrameAt === undefined) Module.firstFrameAt = performance.now();
});

}  // namespace

void WebCanvas::convertRow(const uint16_t* pixels, int width, uint8_t* rgba) {
  // Written so that the compiler turns it into SIMD code (eight pixels a step with wasm SIMD).
  for (int x = 0; x < width; ++x) {
    const uint32_t pixel = pixels[x];
    const uint32_t red = pixel >> 11;
    const uint32_t green = (pixel >> 5) & 0x3F;
    const uint32_t blue = pixel & 0x1F;
    rgba[4 * x + 0] = static_cast<uint8_t>((red << 3) | (red >> 2));
    rgba[4 * x + 1] = static_cast<uint8_t>((green << 2) | (green >> 4));
    rgba[4 * x + 2] = static_cast<uint8_t>((blue << 3) | (blue >> 2));
    rgba[4 * x + 3] = 0xFF;
  }
}

void WebCanvas::draw(const platform::Picture& picture, bool frame) {
  if (picture.width <= 0 || picture.height <= 0) return;
  const size_t rowBytes = static_cast<size_t>(picture.width) * 4;
  rgba_.resize(rowBytes * static_cast<size_t>(picture.height));
  const auto* row = reinterpret_cast<const uint8_t*>(picture.pixels);
  for (int y = 0; y < picture.height; ++y, row += picture.pitch) {
    convertRow(reinterpret_cast<const uint16_t*>(row), picture.width, &rgba_[rowBytes * static_cast<size_t>(y)]);
  }
  putPicture(rgba_.data(), picture.width, picture.height, frame ? 1 : 0);
}
