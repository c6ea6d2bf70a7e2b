// Conversion of the programs' GBK (code page 936) text through the C library's iconv: to and from
// UTF-8, which SDL and terminals speak (message boxes get their GBK text as UTF-8; characters typed
// into an SDL window arrive as UTF-8 and go back to the program as GBK bytes, as an ANSI window on
// Windows sees them), and one double-byte character to its Unicode code point (the glyphs of GDI
// text and of the font builder).
#pragma once

#include <cstdint>
#include <string>

class GbkCodec {
public:
  GbkCodec();
  virtual ~GbkCodec();

  GbkCodec(const GbkCodec&) = delete;
  GbkCodec& operator=(const GbkCodec&) = delete;

  // True when the C library knows GBK; without it ASCII still passes through both ways.
  bool available() const;

  // GBK bytes up to the terminating zero to UTF-8. A byte sequence that is not GBK becomes '?'
  // and conversion goes on after it, so a damaged text still shows what it can.
  std::string toUtf8(const char* gbk) const;

  // UTF-8 to GBK bytes. A character without a GBK form becomes '?'.
  std::string fromUtf8(const char* utf8) const;

  // The code point of the two-byte GBK character lead, trail. False when the two bytes are not
  // exactly one GBK character (or GBK is unknown).
  bool toCodePoint(uint8_t lead, uint8_t trail, uint32_t& codePoint) const;

private:
  std::string convert(void* descriptor, const char* text, bool sourceIsUtf8) const;

  void* toUtf8Descriptor;       // iconv_t, or null when GBK is unknown
  void* fromUtf8Descriptor;     // iconv_t, or null when GBK is unknown
  void* toCodePointDescriptor;  // iconv_t to UTF-32LE, or null when GBK is unknown
};
