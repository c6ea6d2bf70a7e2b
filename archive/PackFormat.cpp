#include "archive/PackFormat.h"

#include <cstring>

#include "archive/LittleEndian.h"

void PackHeader::write(uint8_t out[kLength]) const {
  writeLe32(out + 0, magic);
  writeLe32(out + 4, directoryCount);
  writeLe32(out + 8, fileCount);
  out[12] = mark0;
  out[13] = mark1;
  writeLe16(out + 14, reserved);
}

PackHeader PackHeader::read(const uint8_t in[kLength]) {
  PackHeader header;
  header.magic = readLe32(in + 0);
  header.directoryCount = readLe32(in + 4);
  header.fileCount = readLe32(in + 8);
  header.mark0 = in[12];
  header.mark1 = in[13];
  header.reserved = readLe16(in + 14);
  return header;
}

bool PackRecord::nameTerminated() const {
  return std::memchr(name, 0, kNameLength) != nullptr;
}

std::string PackRecord::nameString() const {
  const void* zero = std::memchr(name, 0, kNameLength);
  size_t length =
      zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - name) : static_cast<size_t>(kNameLength);
  return std::string(reinterpret_cast<const char*>(name), length);
}

bool PackRecord::setName(const std::string& text) {
  if (text.size() > static_cast<size_t>(kMaxNameLength) || text.find('\0') != std::string::npos) {
    return false;
  }
  std::memset(name, 0, sizeof name);
  std::memcpy(name, text.data(), text.size());
  return true;
}

void PackRecord::write(uint8_t out[kLength]) const {
  std::memcpy(out, name, kNameLength);
  writeLe32(out + 116, flags);
  writeLe32(out + 120, offset);
  writeLe32(out + 124, size);
}

PackRecord PackRecord::read(const uint8_t in[kLength]) {
  PackRecord record;
  std::memcpy(record.name, in, kNameLength);
  record.flags = readLe32(in + 116);
  record.offset = readLe32(in + 120);
  record.size = readLe32(in + 124);
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
