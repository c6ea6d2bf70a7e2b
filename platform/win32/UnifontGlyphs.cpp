#include "platform/win32/UnifontGlyphs.h"

#include <cstdlib>
#include <string>

namespace platform {

UnifontGlyphs& UnifontGlyphs::instance() {
  // Never destroyed: the program's static objects release DirectDraw objects after main returns.
  static auto* glyphs = new UnifontGlyphs;
  return *glyphs;
}

UnifontGlyphs::UnifontGlyphs() {
  box_.width = 8;
  for (int row = 2; row < 14; ++row) box_.rows[row] = 0x82;
  box_.rows[2] = box_.rows[13] = 0xFE;
}

void UnifontGlyphs::load() {
  tried_ = true;
  const char* path = std::getenv("BRUMAL_UNIFONT_HEX");
  std::string error;
  font_.load(path ? path : defaultPath(), error);  // without the file every glyph is the box
}

const UnifontGlyphs::Glyph& UnifontGlyphs::glyph(uint32_t codePoint) {
  if (!tried_) load();
  const Glyph* found = font_.find(codePoint);
  return found ? *found : box_;
}

int UnifontGlyphs::decodeGbk(const unsigned char* text, int length, uint32_t& codePoint) const {
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
  if (!codec_.toCodePoint(text[0], text[1], codePoint)) codePoint = 0xFFFD;
  return 2;
}

}  // namespace platform
