// Sprite::load on arbitrary bytes, into a fresh sprite and into one already holding an image,
// then draw with positions, mode, parameter, key and source rectangle taken from the input.
// Every draw must stay inside the back buffer (guard bands checked) and read only the pixel
// block (AddressSanitizer); the load itself must refuse blocks its payload cannot fill.
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
#include "archive/LittleEndian.h"
#include "render/BdiFormat.h"
#include "render/BlendTables.h"
#include "render/Sprite.h"
#include "tests/support/GuardedDisplay.h"
#include "tests/support/MemorySource.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// Kept for the whole run.
GuardedDisplay& frame() {
  static GuardedDisplay* guarded = [] {
    computeBlendTables();
    return new GuardedDisplay(160, 100, 0xA5);
  }();
  return *guarded;
}

void drawWith(Sprite& sprite, const uint8_t* control) {
  const int32_t scale = (control[14] & 0x80) ? 65536 : 1;
  sprite.x = static_cast<int16_t>(readLe16(control)) * scale;
  sprite.y = static_cast<int16_t>(readLe16(control + 2)) * scale;
  sprite.blendMode = static_cast<int8_t>(control[4]);
  sprite.blendParam = static_cast<int32_t>(readLe32(control + 5));
  sprite.colorKey = control[9];
  if (control[14] & 1) {
    const Rect rect{static_cast<int8_t>(control[10]) * 4, static_cast<int8_t>(control[11]) * 4,
                    static_cast<int8_t>(control[12]) * 4, static_cast<int8_t>(control[13]) * 4};
    sprite.setSourceRect(&rect);
  }
  frame().clear();
  sprite.draw(frame().display);
  if (!frame().bandsIntact()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 16) return 0;
  const uint8_t* control = data;
  const uint8_t* file = data + 16;
  const size_t fileSize = size - 16;

  MemorySource source;
  source.files["data\\fuzz.bdi"].assign(file, file + fileSize);
  FileLoader loader(&source);

  // No coding turns a byte into more than 64, so a block larger than that was never filled from
  // its payload and must have been refused.
  Sprite fresh;
  if (fresh.load(loader, "data\\fuzz.bdi") && fresh.header[3] > 64 * static_cast<uint64_t>(fileSize)) __builtin_trap();
  drawWith(fresh, control);

  // A sprite holding a 40 x 30 image first: whatever the second load does, the draw must stay
  // inside the block the sprite holds afterwards.
  std::vector<uint8_t>& first = source.files["data\\first.bdi"];
  BdiHeader header;
  header.width = 40;
  header.height = 30;
  header.storedSize = header.pixelSize = 40 * 30;
  first.resize(BdiHeader::kSize + 40 * 30, 0x77);
  header.write(first.data());
  Sprite reloaded;
  if (!reloaded.load(loader, "data\\first.bdi")) __builtin_trap();
  reloaded.load(loader, "data\\fuzz.bdi");
  drawWith(reloaded, control);
  return 0;
}
