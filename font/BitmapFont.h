/// @file
/// The bitmap font and its text drawing.
#pragma once

#include <cstdint>
#include <string>

class Display;
class FileLoader;

/// Lets the compiler check a printf-style function's arguments against its format, where it can.
#if defined(__GNUC__)
#define BRUMAL_PRINTF_FORMAT(formatIndex, firstArg) __attribute__((format(printf, formatIndex, firstArg)))
#else
#define BRUMAL_PRINTF_FORMAT(formatIndex, firstArg)
#endif

/// A fixed-size bitmap font drawn straight into the display's 8-bit back buffer in one colour
/// code. Text bytes below 0x80 are single-byte characters; a byte of 0x80 or more leads a
/// two-byte character (lead and trail byte, as in GBK).
class BitmapFont {
public:
  BitmapFont();
  virtual ~BitmapFont();

  BitmapFont(const BitmapFont&) = delete;
  BitmapFont& operator=(const BitmapFont&) = delete;

  /// Reads a font file; on refusal the glyphs loaded before stay.
  bool load(FileLoader& loader, const std::string& name);

  /// Draws text with its first character's top-left corner at (x, y), breaking the line after
  /// maxBytesPerLine bytes (0 or less draws nothing). Pixels outside the back buffer are dropped;
  /// pixels past the right edge land at the start of the next row.
  void drawText(Display& display, int32_t x, int32_t y, int32_t maxBytesPerLine, int32_t color, const char* text);
  /// drawText of the printf-style formatted values; output past 1023 bytes is cut.
  void drawFormatted(Display& display, int32_t x, int32_t y, int32_t maxBytesPerLine, int32_t color, const char* format,
                     ...) BRUMAL_PRINTF_FORMAT(7, 8);

  /// The first 12 bytes of the last file load looked at: magic and a free word; cell width,
  /// glyph size and a free word; the number of 16-bit glyph words.
  uint32_t header[3];
  /// Glyph data: 16 row words per glyph, bit l of a row is column l. Owned, may be null.
  uint16_t* glyphs;

private:
  void drawGlyph(Display& display, int64_t left, int64_t top, uint32_t glyph, int32_t columns, uint8_t code) const;

  /// Words held in glyphs. Kept apart from header, which a refused load overwrites while the
  /// old glyphs stay: the glyph bounds must come from the data actually held.
  uint32_t glyphWordCount;
};
