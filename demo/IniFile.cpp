#include "demo/IniFile.h"

#include <cstdint>
#include <limits>

#include "archive/FileLoader.h"

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

bool commentAt(const std::string& line, size_t i) {
  return i + 1 < line.size() && line[i] == '/' && line[i + 1] == '/';
}

size_t skipBlanks(const std::string& line, size_t i) {
  while (i < line.size() && isBlank(line[i])) {
    ++i;
  }
  return i;
}

// A signed decimal read the way "%d" reads it: optional white space and sign, then digits,
// stopping at the first byte that cannot continue the number. Values beyond 32 bits saturate.
bool parseInt(const std::string& text, int32_t& value) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i >= text.size() || text[i] < '0' || text[i] > '9') {
    return false;
  }
  const int64_t limit =
      negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min()) : std::numeric_limits<int32_t>::max();
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > limit) {
      magnitude = limit;
    }
  }
  value = static_cast<int32_t>(negative ? -magnitude : magnitude);
  return true;
}

}  // namespace

IniFile::~IniFile() {
  clear();
}

void IniFile::clear() {
  delete[] data;
  data = nullptr;
  sectionStart = nullptr;
  cursor = nullptr;
  sectionEnd = nullptr;
  scan = nullptr;
  dataEnd = nullptr;
  size = 0;
}

bool IniFile::load(const std::string& name, FileSource* source) {
  clear();
  // Through locals, so a refused read never leaves data pointing at anything.
  uint8_t* block = nullptr;
  int32_t length = 0;
  FileLoader loader(source);
  if (!loader.readFile(name, block, length)) {
    return false;
  }
  if (!block || length < 0) {
    delete[] block;
    return false;
  }
  data = block;
  size = length;
  dataEnd = data + size;
  return true;
}

void IniFile::readLine(std::string& out, const uint8_t*& position, const uint8_t* end) {
  const uint8_t* start = position;
  while (position < end && *position != '\n') {
    ++position;
  }
  out.assign(reinterpret_cast<const char*>(start), static_cast<size_t>(position - start));
  if (position < end) {
    ++position;
  }
}

bool IniFile::selectSection(const std::string& name) {
  if (!data) {
    return false;
  }
  sectionName = name;
  scan = data;
  std::string line;
  std::string collected;
  while (scan < dataEnd) {
    readLine(line, scan, dataEnd);
    size_t i = skipBlanks(line, 0);
    if (i >= line.size() || commentAt(line, i) || line[i] != '[') {
      continue;
    }
    // Every ']' is a candidate end of the name; one that does not complete it belongs to it,
    // so "[a]b]" names both a and a]b.
    collected.clear();
    for (size_t j = i + 1; j < line.size() && !commentAt(line, j); ++j) {
      if (line[j] == ']' && collected == name) {
        // The section runs to the next '[' wherever it stands, or to the end of the data.
        sectionStart = scan;
        sectionEnd = scan;
        while (sectionEnd < dataEnd && *sectionEnd != '[') {
          ++sectionEnd;
        }
        scan = sectionEnd;
        return true;
      }
      collected.push_back(line[j]);
    }
  }
  return false;
}

int32_t IniFile::getInt(const std::string& key, int32_t def) {
  if (!data || !sectionStart) {
    return def;
  }
  cursor = sectionStart;
  std::string line;
  while (cursor < sectionEnd) {
    readLine(line, cursor, sectionEnd);
    size_t i = skipBlanks(line, 0);
    if (i >= line.size()) {
      continue;
    }
    size_t keyEnd = i;
    bool comment = false;
    while (keyEnd < line.size() && line[keyEnd] != '=' && !isBlank(line[keyEnd])) {
      if (commentAt(line, keyEnd)) {
        comment = true;
        break;
      }
      ++keyEnd;
    }
    if (comment || line.compare(i, keyEnd - i, key) != 0) {
      continue;
    }
    // Whatever single byte follows the key and its blanks is taken as the separator.
    size_t v = skipBlanks(line, keyEnd);
    if (v < line.size()) {
      ++v;
    }
    v = skipBlanks(line, v);
    size_t valueEnd = v;
    while (valueEnd < line.size() && !isBlank(line[valueEnd]) && !commentAt(line, valueEnd)) {
      ++valueEnd;
    }
    int32_t result = def;
    parseInt(line.substr(v, valueEnd - v), result);
    return result;
  }
  return def;
}
