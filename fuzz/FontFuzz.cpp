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
#include "archive/ByteBuffer.h"
#include "archive/FileLoader.h"
#include "archive/FileSource.h"
#include "display/Display.h"
#include "font/BitmapFont.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

class BytesSource : public FileSource {
public:
  BytesSource(const uint8_t* bytes, size_t size) : bytes(bytes), size(size) {}
  bool open(const std::string&) override { return true; }
  bool close() override { return true; }
  bool readFile(const std::string&, ByteBuffer& buffer) override {
    if (!buffer.resize(static_cast<int32_t>(size))) {
      return false;
    }
    if (size) {
      std::memcpy(buffer.data, bytes, size);
    }
    return true;
  }
  bool readFile(const std::string&, uint8_t*& block, int32_t& blockSize) override {
    block = new uint8_t[size ? size : 1];
    if (size) {
      std::memcpy(block, bytes, size);
    }
    blockSize = static_cast<int32_t>(size);
    return true;
  }

  const uint8_t* bytes;
  size_t size;
};

constexpr int32_t kWidth = 160;
constexpr int32_t kHeight = 100;
constexpr size_t kBand = 64;
constexpr uint8_t kBandByte = 0xA5;

uint8_t* storage = nullptr;
Display* display = nullptr;

void setUp() {
  if (display) {
    return;
  }
  storage = new uint8_t[kWidth * kHeight + 2 * kBand];
  display = new Display;  // kept for the whole run: its buffer points into storage
  display->width = kWidth;
  display->height = kHeight;
  display->bufferSize = kWidth * kHeight;
  display->buffer = storage + kBand;
}

void checkBands() {
  for (size_t i = 0; i < kBand; ++i) {
    if (storage[i] != kBandByte || storage[kBand + kWidth * kHeight + i] != kBandByte) {
      __builtin_trap();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) {
    return 0;
  }
  setUp();
  const int32_t x = static_cast<int16_t>(data[0] | (data[1] << 8));
  const int32_t y = static_cast<int16_t>(data[2] | (data[3] << 8));
  const int32_t budget = static_cast<int8_t>(data[4]);
  const int32_t color = data[5];
  size_t textSize = data[6];
  const bool reload = data[7] & 1;
  const uint8_t* file = data + 8;
  size_t fileSize = size - 8;
  if (textSize > fileSize) {
    textSize = fileSize;
  }
  fileSize -= textSize;
  const std::string text(reinterpret_cast<const char*>(file + fileSize), textSize);

  BitmapFont font;
  BytesSource source(file, fileSize);
  FileLoader loader(&source);
  font.load(loader, "data\\fuzz.font");
  if (reload && fileSize >= 12) {
    std::vector<uint8_t> second(file, file + fileSize);
    uint32_t count = second[8] | (second[9] << 8) | (second[10] << 16) | (static_cast<uint32_t>(second[11]) << 24);
    count = count * 2 + 16;
    for (int i = 0; i < 4; ++i) {
      second[8 + i] = static_cast<uint8_t>(count >> (8 * i));
    }
    BytesSource secondSource(second.data(), second.size());
    FileLoader secondLoader(&secondSource);
    font.load(secondLoader, "data\\fuzz.font");
  }

  std::memset(storage, kBandByte, kWidth * kHeight + 2 * kBand);
  font.drawText(*display, x, y, budget, color, text.c_str());
  font.drawFormatted(*display, y, x, budget, color, "%s|%d", text.c_str(), x);
  checkBands();
  return 0;
}
