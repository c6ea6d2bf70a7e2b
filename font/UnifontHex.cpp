#include "font/UnifontHex.h"

#include <fstream>

namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool parseHex(const std::string& text, size_t begin, size_t end, uint32_t& value) {
  if (begin >= end || end - begin > 8) {
    return false;
  }
  value = 0;
  for (size_t i = begin; i < end; ++i) {
    const int d = hexDigit(text[i]);
    if (d < 0) {
      return false;
    }
    value = (value << 4) | static_cast<uint32_t>(d);
  }
  return true;
}

}  // namespace

bool UnifontHex::load(const std::string& path, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  glyphs_.clear();
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (line.empty()) {
      continue;
    }
    const size_t colon = line.find(':');
    uint32_t codePoint = 0;
    const size_t digits = colon == std::string::npos ? 0 : line.size() - colon - 1;
    if (colon == std::string::npos || !parseHex(line, 0, colon, codePoint) || (digits != 32 && digits != 64)) {
      error = path + ":" + std::to_string(lineNumber) + ": not a glyph line";
      return false;
    }
    Glyph glyph;
    glyph.width = digits == 32 ? 8 : 16;
    const size_t rowDigits = digits / 16;
    for (size_t row = 0; row < 16; ++row) {
      uint32_t bits = 0;
      const size_t begin = colon + 1 + row * rowDigits;
      if (!parseHex(line, begin, begin + rowDigits, bits)) {
        error = path + ":" + std::to_string(lineNumber) + ": bad hex digits";
        return false;
      }
      glyph.rows[row] = static_cast<uint16_t>(bits);
    }
    glyphs_[codePoint] = glyph;
  }
  if (in.bad()) {
    error = "cannot read " + path;
    return false;
  }
  if (glyphs_.empty()) {
    error = path + ": no glyphs";
    return false;
  }
  return true;
}

const UnifontHex::Glyph* UnifontHex::find(uint32_t codePoint) const {
  const auto it = glyphs_.find(codePoint);
  return it == glyphs_.end() ? nullptr : &it->second;
}
