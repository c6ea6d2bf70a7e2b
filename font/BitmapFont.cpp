#include "font/BitmapFont.h"

#include "archive/FileLoader.h"
#include "archive/LittleEndian.h"
#include "display/Display.h"
#include "font/BitmapFontFormat.h"

#include <cstdarg>
#include <cstdio>
#include <new>

namespace {

constexpr int32_t kGlyphColumns = 16;  // bits in a row word
constexpr size_t kFormatBufferSize = 1024;

}  // namespace

BitmapFont::BitmapFont() : header{0, 0, 0}, glyphs(nullptr), glyphWordCount(0) {}

BitmapFont::~BitmapFont() {
  delete[] glyphs;
  glyphs = nullptr;
}

bool BitmapFont::load(FileLoader& loader, const std::string& name) {
  uint8_t* block = nullptr;
  int32_t size = 0;
  if (!loader.readFile(name, block, size)) {
    return false;
  }
  if (!block || size < BitmapFontHeader::kSize) {
    delete[] block;
    return false;
  }
  for (int32_t i = 0; i < 3; ++i) {
    header[i] = readLe32(block + 4 * i);
  }
  const BitmapFontHeader font = BitmapFontHeader::read(block);
  const uint32_t wordCount = font.wordCount;
  const uint64_t glyphBytes = 2 * static_cast<uint64_t>(wordCount);
  if (font.magic != BitmapFontHeader::kMagic || static_cast<uint64_t>(size) < BitmapFontHeader::kSize + glyphBytes) {
    delete[] block;
    return false;
  }
  delete[] glyphs;
  glyphWordCount = 0;
  glyphs = new (std::nothrow) uint16_t[wordCount];
  if (!glyphs) {
    delete[] block;
    return false;
  }
  const uint8_t* data = block + BitmapFontHeader::kSize;
  for (uint32_t i = 0; i < wordCount; ++i) {
    glyphs[i] = readLe16(data + 2 * i);
  }
  glyphWordCount = wordCount;
  delete[] block;
  return true;
}

void BitmapFont::drawGlyph(Display& display, int64_t left, int64_t top, uint32_t glyph, int32_t columns,
                           uint8_t code) const {
  // A glyph whose 16 rows are not all in the data is not drawn at all.
  const uint64_t firstWord = static_cast<uint64_t>(glyph) * BitmapFontHeader::kGlyphRows;
  if (!glyphs || firstWord + BitmapFontHeader::kGlyphRows > glyphWordCount) {
    return;
  }
  if (columns > kGlyphColumns) {
    columns = kGlyphColumns;  // a row word has no bits for further columns
  }
  const int64_t stride = display.width;
  const int64_t size = display.bufferSize;
  const uint16_t* rows = glyphs + firstWord;
  // Per pixel: one bit test, then one bound test against the whole buffer, so columns past the
  // right edge wrap onto the next row and rows off the top or bottom are dropped.
  for (int32_t k = 0; k < BitmapFontHeader::kGlyphRows; ++k) {
    const uint32_t bits = rows[k];
    const int64_t rowStart = (top + k) * stride + left;
    for (int32_t l = 0; l < columns; ++l) {
      if ((bits >> l) & 1u) {
        const int64_t p = rowStart + l;
        if (p >= 0 && p < size) {
          display.buffer[p] = code;
        }
      }
    }
  }
}

void BitmapFont::drawText(Display& display, int32_t x, int32_t y, int32_t maxBytesPerLine, int32_t color,
                          const char* text) {
  // With no room on a line no byte would ever be placed: draw nothing rather than loop.
  if (!text || maxBytesPerLine <= 0 || !display.buffer || display.width <= 0) {
    return;
  }
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text);
  const uint8_t code = static_cast<uint8_t>(color);
  const int32_t cellWidth = static_cast<int32_t>((header[1] >> 0) & 0xFF);
  const int32_t glyphSize = static_cast<int32_t>((header[1] >> 8) & 0xFF);
  // 64-bit pen: a long text or a start near the end of the range cannot overflow.
  int64_t pen = x;
  int64_t lineTop = y;
  size_t i = 0;
  while (bytes[i] != 0) {
    // The budget is in bytes and is tested before each character, so a two-byte character may
    // start on the last byte of the budget.
    int32_t placed = 0;
    while (bytes[i] != 0 && placed < maxBytesPerLine) {
      const uint32_t lead = bytes[i];
      if (lead >= BitmapFontHeader::kFirstLeadByte) {
        const uint32_t trail = bytes[i + 1];
        drawGlyph(display, pen, lineTop, BitmapFontHeader::twoByteGlyph(lead, trail), glyphSize, code);
        if (trail == 0) {
          return;  // the text ended inside the character
        }
        pen += cellWidth + 1;
        i += 2;
        placed += 2;
      } else {
        drawGlyph(display, pen, lineTop, lead, cellWidth / 2, code);
        pen += cellWidth / 2 + 1;
        i += 1;
        placed += 1;
      }
    }
    lineTop += glyphSize + 2;
    pen = x;
  }
}

void BitmapFont::drawFormatted(Display& display, int32_t x, int32_t y, int32_t maxBytesPerLine, int32_t color,
                               const char* format, ...) {
  char text[kFormatBufferSize];
  va_list values;
  va_start(values, format);
  const int written = std::vsnprintf(text, sizeof text, format, values);
  va_end(values);
  if (written < 0) {
    return;
  }
  drawText(display, x, y, maxBytesPerLine, color, text);
}
