// BitmapFont::load on arbitrary bytes, then arbitrary text drawn at arbitrary positions and
// budgets, directly and through the formatting entry. Nothing may be written outside the back
// buffer (guard bands checked) nor read outside the glyph data (AddressSanitizer).
//
// Input: 8 control bytes, then the font file; the last (byte 6) bytes of the input are the text.
//   0-3  x, y (16-bit each)
//   4    line budget (signed byte)
//   5    colour
//   6    text length, taken from the end of the input
//   7    bit 0: load a second font file (the same bytes with the header's word count doubled)
//        over the first before drawing
#include "archive/FileLoader.h"
#include "archive/LittleEndian.h"
#include "font/BitmapFont.h"
#include "tests/support/GuardedDisplay.h"
#include "tests/support/MemorySource.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  const int32_t x = static_cast<int16_t>(readLe16(data));
  const int32_t y = static_cast<int16_t>(readLe16(data + 2));
  const int32_t budget = static_cast<int8_t>(data[4]);
  const int32_t color = data[5];
  size_t textSize = data[6];
  const bool reload = data[7] & 1;
  const uint8_t* file = data + 8;
  size_t fileSize = size - 8;
  textSize = textSize < fileSize ? textSize : fileSize;
  fileSize -= textSize;
  const std::string text(reinterpret_cast<const char*>(file + fileSize), textSize);

  BitmapFont font;
  MemorySource source;
  source.files["data\\fuzz.font"].assign(file, file + fileSize);
  FileLoader loader(&source);
  font.load(loader, "data\\fuzz.font");
  if (reload && fileSize >= 12) {
    std::vector<uint8_t> second(file, file + fileSize);
    writeLe32(&second[8], readLe32(&second[8]) * 2 + 16);
    source.files["data\\fuzz.font"] = second;
    font.load(loader, "data\\fuzz.font");
  }

  static GuardedDisplay* frame = new GuardedDisplay(160, 100, 0xA5);  // kept for the whole run
  frame->clear();
  font.drawText(frame->display, x, y, budget, color, text.c_str());
  font.drawFormatted(frame->display, y, x, budget, color, "%s|%d", text.c_str(), x);
  if (!frame->bandsIntact()) __builtin_trap();
  return 0;
}
