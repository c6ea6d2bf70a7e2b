// Sprite::load on arbitrary bytes, into a fresh sprite and into one already holding an image,
// then draw with positions, mode, parameter, key and source rectangle taken from the input.
// Every draw must stay inside the back buffer (guard bands checked) and read only the pixel
// block (AddressSanitizer).
//
// Input: 16 control bytes, then the BDI file.
//   0-3   x, y (16-bit each; bit 7 of byte 14 scales both by 65536 to reach the far range)
//   4     blend mode (signed byte)
//   5-8   blend parameter
//   9     colour key
//   10-13 source rectangle left, top, right, bottom (signed bytes x 4), used when bit 0 of 14
//   14    flags
//   15    unused
#include "archive/FileLoader.h"
#include "render/BlendTables.h"
#include "render/Sprite.h"
#include "tests/support/GuardedDisplay.h"
#include "tests/support/MemorySource.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// Larger blocks are legal but only make the run slow and trip the fuzzer's memory limit.
constexpr uint64_t kMaxBlock = 1u << 22;

// Kept for the whole run.
GuardedDisplay& frame() {
  static GuardedDisplay* guarded = [] {
    computeBlendTables();
    return new GuardedDisplay(160, 100, 0xA5);
  }();
  return *guarded;
}

uint32_t le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void drawWith(Sprite& sprite, const uint8_t* control) {
  const int32_t scale = (control[14] & 0x80) ? 65536 : 1;
  sprite.x = static_cast<int16_t>(control[0] | (control[1] << 8)) * scale;
  sprite.y = static_cast<int16_t>(control[2] | (control[3] << 8)) * scale;
  sprite.blendMode = static_cast<int8_t>(control[4]);
  sprite.blendParam = static_cast<int32_t>(le32(control + 5));
  sprite.colorKey = control[9];
  if (control[14] & 1) {
    const Rect rect{static_cast<int8_t>(control[10]) * 4, static_cast<int8_t>(control[11]) * 4,
                    static_cast<int8_t>(control[12]) * 4, static_cast<int8_t>(control[13]) * 4};
    sprite.setSourceRect(&rect);
  }
  frame().clear();
  sprite.draw(frame().display);
  if (!frame().bandsIntact()) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 16) {
    return 0;
  }
  const uint8_t* control = data;
  const uint8_t* file = data + 16;
  const size_t fileSize = size - 16;
  if (fileSize >= 16) {
    const uint32_t dimensions = le32(file + 4);
    const uint64_t area = static_cast<uint64_t>(dimensions & 0xFFFF) * (dimensions >> 16);
    if (le32(file + 12) > kMaxBlock || area > kMaxBlock) {
      return 0;
    }
  }

  MemorySource source;
  source.files["data\\fuzz.bdi"].assign(file, file + fileSize);
  FileLoader loader(&source);

  Sprite fresh;
  fresh.load(loader, "data\\fuzz.bdi");
  drawWith(fresh, control);

  // A sprite holding a 40 x 30 image first: whatever the second load does, the draw must stay
  // inside the block the sprite holds afterwards.
  static const std::vector<uint8_t> first = [] {
    std::vector<uint8_t> bytes = {0x49, 0x42, 0, 0, 40, 0, 30, 0, 0xB0, 0x04, 0, 0, 0xB0, 0x04, 0, 0};
    for (int i = 0; i < 40 * 30; ++i) {
      bytes.push_back(static_cast<uint8_t>(i * 7));
    }
    return bytes;
  }();
  source.files["data\\first.bdi"] = first;
  Sprite reloaded;
  if (!reloaded.load(loader, "data\\first.bdi")) {
    __builtin_trap();
  }
  reloaded.load(loader, "data\\fuzz.bdi");
  drawWith(reloaded, control);
  return 0;
}
