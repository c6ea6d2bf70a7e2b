#include "platform/win32/UnifontGlyphs.h"

#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// One line of the hex format: "XXXX:" then 32 hex digits (8 x 16) or 64 (16 x 16).
bool parseLine(const char* line, uint32_t& codePoint, UnifontGlyphs::Glyph& glyph) {
  const char* colon = std::strchr(line, ':');
  if (!colon || colon == line || colon - line > 6) return false;
  codePoint = 0;
  for (const char* p = line; p < colon; ++p) {
    int digit = hexValue(*p);
    if (digit < 0) return false;
    codePoint = codePoint * 16 + static_cast<uint32_t>(digit);
  }
  const char* digits = colon + 1;
  size_t count = 0;
  while (hexValue(digits[count]) >= 0) ++count;
  if (count != 32 && count != 64) return false;
  glyph.width = count == 32 ? 8 : 16;
  const int perRow = glyph.width / 4;
  for (int row = 0; row < 16; ++row) {
    uint32_t bits = 0;
    for (int i = 0; i < perRow; ++i) bits = bits * 16 + static_cast<uint32_t>(hexValue(digits[row * perRow + i]));
    glyph.rows[row] = static_cast<uint16_t>(glyph.width == 8 ? bits << 8 : bits);
  }
  return true;
}

}  // namespace

UnifontGlyphs& UnifontGlyphs::instance() {
  // Never destroyed: the program's static objects release DirectDraw objects after main returns.
  static auto* glyphs = new UnifontGlyphs;
  return *glyphs;
}

void UnifontGlyphs::load() {
  tried_ = true;
  box_.width = 8;
  for (int row = 2; row < 14; ++row) box_.rows[row] = 0x8200;
  box_.rows[2] = box_.rows[13] = 0xFE00;
  const char* path = std::getenv("BRUMAL_UNIFONT_HEX");
  std::FILE* file = std::fopen(path ? path : defaultPath(), "r");
  if (!file) return;
  char line[160];
  while (std::fgets(line, sizeof line, file)) {
    uint32_t codePoint;
    Glyph glyph;
    if (parseLine(line, codePoint, glyph)) glyphs_[codePoint] = glyph;
  }
  std::fclose(file);
}

bool UnifontGlyphs::loaded() {
  if (!tried_) load();
  return !glyphs_.empty();
}

const UnifontGlyphs::Glyph& UnifontGlyphs::glyph(uint32_t codePoint) {
  if (!tried_) load();
  auto found = glyphs_.find(codePoint);
  return found != glyphs_.end() ? found->second : box_;
}

int UnifontGlyphs::decodeGbk(const unsigned char* text, int length, uint32_t& codePoint) {
  if (length <= 0) {
    codePoint = 0xFFFD;
    return 0;
  }
  if (text[0] < 0x80) {
    codePoint = text[0];
    return 1;
  }
  // A lead byte needs a trail byte of 0x40..0xFE other than 0x7F.
  if (text[0] == 0x80 || text[0] == 0xFF || length < 2 || text[1] < 0x40 || text[1] == 0x7F || text[1] == 0xFF) {
    codePoint = 0xFFFD;
    return 1;
  }
  static iconv_t converter = iconv_open("UTF-32LE", "GBK");
  codePoint = 0xFFFD;
  if (converter != reinterpret_cast<iconv_t>(-1)) {
    char in[2] = {static_cast<char>(text[0]), static_cast<char>(text[1])};
    unsigned char out[4] = {};
    char* inPointer = in;
    char* outPointer = reinterpret_cast<char*>(out);
    size_t inLeft = 2;
    size_t outLeft = 4;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) != static_cast<size_t>(-1) && outLeft == 0) {
      codePoint = out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<uint32_t>(out[3]) << 24);
    }
  }
  return 2;
}

}  // namespace platform
