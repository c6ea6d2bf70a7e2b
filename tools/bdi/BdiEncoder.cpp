#include "tools/bdi/BdiEncoder.h"

#include <algorithm>

#include "tools/bdi/LzssEncoder.h"

namespace {

constexpr size_t kMaxPacket = 127;
constexpr size_t kMinRun = 3;  // a run of 3 costs 2 bytes as a packet, 3 inside a literal packet

size_t runLength(const uint8_t* codes, size_t size, size_t pos) {
  size_t n = 1;
  while (pos + n < size && n < kMaxPacket && codes[pos + n] == codes[pos]) {
    ++n;
  }
  return n;
}

}  // namespace

std::vector<uint8_t> encodeStored(const uint8_t* codes, size_t size) {
  return std::vector<uint8_t>(codes, codes + size);
}

std::vector<uint8_t> encodeRle(const uint8_t* codes, size_t size) {
  std::vector<uint8_t> out;
  out.reserve(size + size / kMaxPacket + 2);
  size_t pos = 0;
  while (pos < size) {
    const size_t run = runLength(codes, size, pos);
    if (run >= kMinRun) {
      out.push_back(static_cast<uint8_t>(0x80 | run));
      out.push_back(codes[pos]);
      pos += run;
      continue;
    }
    // Literals up to the next run worth a packet of its own.
    const size_t start = pos;
    while (pos < size && pos - start < kMaxPacket && runLength(codes, size, pos) < kMinRun) {
      ++pos;
    }
    out.push_back(static_cast<uint8_t>(pos - start));
    out.insert(out.end(), codes + start, codes + pos);
  }
  return out;
}

std::vector<uint8_t> encodeLzss(const uint8_t* codes, size_t size) {
  LzssEncoder encoder;
  return encoder.encode(codes, size);
}

std::vector<uint8_t> encodePayload(int method, const uint8_t* codes, size_t size) {
  switch (method) {
    case 0:
      return encodeStored(codes, size);
    case 1:
      return encodeRle(codes, size);
    default:
      return encodeLzss(codes, size);
  }
}
