#include "archive/PackFormat.h"

#include <cstring>

namespace {

uint32_t load32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void store32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

}  // namespace

void PackHeader::write(uint8_t out[kLength]) const {
  store32(out + 0, magic);
  store32(out + 4, directoryCount);
  store32(out + 8, fileCount);
  out[12] = mark0;
  out[13] = mark1;
  out[14] = static_cast<uint8_t>(reserved);
  out[15] = static_cast<uint8_t>(reserved >> 8);
}

PackHeader PackHeader::read(const uint8_t in[kLength]) {
  PackHeader header;
  header.magic = load32(in + 0);
  header.directoryCount = load32(in + 4);
  header.fileCount = load32(in + 8);
  header.mark0 = in[12];
  header.mark1 = in[13];
  header.reserved = static_cast<uint16_t>(in[14] | (in[15] << 8));
  return header;
}

bool PackRecord::nameTerminated() const {
  return std::memchr(name, 0, kNameLength) != nullptr;
}

std::string PackRecord::nameString() const {
  const void* zero = std::memchr(name, 0, kNameLength);
  size_t length = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - name)
                       : static_cast<size_t>(kNameLength);
  return std::string(reinterpret_cast<const char*>(name), length);
}

bool PackRecord::setName(const std::string& text) {
  if (text.size() > static_cast<size_t>(kMaxNameLength) ||
      text.find('\0') != std::string::npos) {
    return false;
  }
  std::memset(name, 0, sizeof name);
  std::memcpy(name, text.data(), text.size());
  return true;
}

void PackRecord::write(uint8_t out[kLength]) const {
  std::memcpy(out, name, kNameLength);
  store32(out + 116, flags);
  store32(out + 120, offset);
  store32(out + 124, size);
}

PackRecord PackRecord::read(const uint8_t in[kLength]) {
  PackRecord record;
  std::memcpy(record.name, in, kNameLength);
  record.flags = load32(in + 116);
  record.offset = load32(in + 120);
  record.size = load32(in + 124);
  return record;
}

void PackRecord::lowerName(char* bytes, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (bytes[i] >= 'A' && bytes[i] <= 'Z') {
      bytes[i] = static_cast<char>(bytes[i] - 'A' + 'a');
    }
  }
}

void PackRecord::lowerName(std::string& text) {
  if (!text.empty()) {
    lowerName(&text[0], text.size());
  }
}
