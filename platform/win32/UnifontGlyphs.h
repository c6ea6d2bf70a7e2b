#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

namespace platform {

// 16-pixel-high glyphs for GDI text: GNU Unifont's, read from Debian's unifont package at the
// first use, and GBK decoding through iconv. Without the font file every character is a box.
class UnifontGlyphs {
public:
  struct Glyph {
    int width = 8;        // 8 or 16 pixels
    uint16_t rows[16]{};  // leftmost pixel in the top bit (bit 15), one word per row
  };

  static UnifontGlyphs& instance();

  // The glyph of a Unicode code point; a hollow box when the font has none.
  const Glyph& glyph(uint32_t codePoint);

  // Decodes the GBK character at `text` (`length` bytes left): its code point, and the bytes it
  // takes (1 for ASCII or a byte that starts no valid pair, 2 for a double-byte character).
  // Undecodable characters give U+FFFD.
  static int decodeGbk(const unsigned char* text, int length, uint32_t& codePoint);

  static const char* defaultPath() { return "/usr/share/unifont/unifont.hex"; }
  bool loaded();

private:
  void load();
  bool tried_ = false;
  std::unordered_map<uint32_t, Glyph> glyphs_;
  Glyph box_;
};

}  // namespace platform
