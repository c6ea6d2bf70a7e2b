#include "font/UnifontHex.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The value of the hex digits in [begin, end): false for none, more than 8, or a non-digit.
bool parseHex(const char* begin, const char* end, uint32_t& value) {
  if (begin >= end || end - begin > 8) {
    return false;
  }
  value = 0;
  for (const char* p = begin; p < end; ++p) {
    const int d = hexDigit(*p);
    if (d < 0) {
      return false;
    }
    value = (value << 4) | static_cast<uint32_t>(d);
  }
  return true;
}

// The whole file in memory: a browser reads the font at start-up, where line-by-line stream
// reading cost several times the parsing itself.
bool readWhole(const std::string& path, std::string& text) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) {
    return false;
  }
  char block[65536];
  size_t got = 0;
  while ((got = std::fread(block, 1, sizeof block, file.get())) > 0) {
    text.append(block, got);
  }
  return std::ferror(file.get()) == 0;
}

}  // namespace

bool UnifontHex::load(const std::string& path, std::string& error) {
  std::string text;
  if (!readWhole(path, text)) {
    error = "cannot read " + path;
    return false;
  }
  glyphs_.clear();
  glyphs_.reserve(text.size() / 40);  // a line is at least 38 bytes
  int lineNumber = 0;
  for (const char* line = text.data(); line < text.data() + text.size();) {
    const char* next = static_cast<const char*>(std::memchr(line, '\n', text.data() + text.size() - line));
    const char* end = next ? next : text.data() + text.size();
    next = next ? next + 1 : end;
    ++lineNumber;
    if (end > line && end[-1] == '\r') --end;
    if (end == line) {
      line = next;
      continue;
    }
    const char* colon = static_cast<const char*>(std::memchr(line, ':', static_cast<size_t>(end - line)));
    uint32_t codePoint = 0;
    const ptrdiff_t digits = colon ? end - colon - 1 : 0;
    if (!colon || !parseHex(line, colon, codePoint) || (digits != 32 && digits != 64)) {
      error = path + ":" + std::to_string(lineNumber) + ": not a glyph line";
      return false;
    }
    Glyph glyph;
    glyph.width = digits == 32 ? 8 : 16;
    const ptrdiff_t rowDigits = digits / 16;
    for (ptrdiff_t row = 0; row < 16; ++row) {
      uint32_t bits = 0;
      const char* begin = colon + 1 + row * rowDigits;
      if (!parseHex(begin, begin + rowDigits, bits)) {
        error = path + ":" + std::to_string(lineNumber) + ": bad hex digits";
        return false;
      }
      glyph.rows[static_cast<size_t>(row)] = static_cast<uint16_t>(bits);
    }
    glyphs_[codePoint] = glyph;
    line = next;
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
