#pragma once

#include <cstdint>

#include "font/UnifontHex.h"
#include "platform/gbk/GbkCodec.h"

namespace platform {

// 16-pixel-high glyphs for GDI text: GNU Unifont's, read from Debian's unifont package (or the
// file BRUMAL_UNIFONT_HEX names) at the first use, and GBK decoding. Without the font file every
// character is a box.
class UnifontGlyphs {
public:
  using Glyph = UnifontHex::Glyph;

  static UnifontGlyphs& instance();

  // The glyph of a Unicode code point; a hollow box when the font has none.
  const Glyph& glyph(uint32_t codePoint);

  // Decodes the GBK character at `text` (`length` bytes left): its code point, and the bytes it
  // takes (1 for ASCII or a byte that starts no valid pair, 2 for a double-byte character).
  // Undecodable characters give U+FFFD.
  int decodeGbk(const unsigned char* text, int length, uint32_t& codePoint) const;

  static const char* defaultPath() { return "/usr/share/unifont/unifont.hex"; }

private:
  UnifontGlyphs();
  void load();
  bool tried_ = false;
  UnifontHex font_;
  Glyph box_;
  GbkCodec codec_;
};

}  // namespace platform
