/// @file
/// Reading the glyphs of GNU Unifont's .hex files.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>

/// The glyphs of a GNU Unifont .hex file: one line per code point, "XXXX:" and then 32 hex digits
/// for an 8 x 16 glyph or 64 for a 16 x 16 one, each row written with its leftmost pixel in the
/// most significant bit.
class UnifontHex {
public:
  /// One glyph, rows top first.
  struct Glyph {
    int width = 0;                    ///< 8 or 16
    std::array<uint16_t, 16> rows{};  ///< as in the file: leftmost pixel in bit (width - 1)
  };

  /// Reads the file at path, replacing the glyphs held. False, with error saying where and why,
  /// when it cannot be opened or a line is not a glyph line.
  bool load(const std::string& path, std::string& error);
  /// The glyph of a code point, or null when the file has none.
  const Glyph* find(uint32_t codePoint) const;
  /// The number of glyphs held.
  size_t size() const { return glyphs_.size(); }

private:
  std::unordered_map<uint32_t, Glyph> glyphs_;
};
