#include "tools/bdi/BdiFile.h"

#include "render/BdiDecoders.h"

namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

uint32_t get16(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8);
}

uint32_t get32(const uint8_t* p) {
  return get16(p) | (get16(p + 2) << 16);
}

}  // namespace

const char* BdiHeader::methodName(int method) {
  switch (method) {
    case kStored:
      return "stored";
    case kRle:
      return "run-length";
    case kLzss:
      return "LZSS";
    default:
      return "unknown";
  }
}

std::vector<uint8_t> makeBdiFile(uint16_t width, uint16_t height, uint8_t method, const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> file;
  file.reserve(BdiHeader::kSize + payload.size());
  put16(file, BdiHeader::kMagic);
  file.push_back(0);
  file.push_back(method);
  put16(file, width);
  put16(file, height);
  put32(file, static_cast<uint32_t>(payload.size()));
  put32(file, static_cast<uint32_t>(width) * height);
  file.insert(file.end(), payload.begin(), payload.end());
  return file;
}

bool readBdiHeader(const std::vector<uint8_t>& file, BdiHeader& header, std::string& error) {
  if (file.size() < BdiHeader::kSize) {
    error = "too short for a BDI header (" + std::to_string(file.size()) + " bytes)";
    return false;
  }
  const uint8_t* p = file.data();
  if (get16(p) != BdiHeader::kMagic) {
    error = "not a BDI file (bad magic)";
    return false;
  }
  header.method = p[3];
  header.width = static_cast<uint16_t>(get16(p + 4));
  header.height = static_cast<uint16_t>(get16(p + 6));
  header.storedSize = get32(p + 8);
  header.pixelSize = get32(p + 12);
  return true;
}

bool parseBdiFile(const std::vector<uint8_t>& file, BdiHeader& header, std::string& error) {
  if (!readBdiHeader(file, header, error)) {
    return false;
  }
  if (header.method > BdiHeader::kLzss) {
    error = "unknown coding method " + std::to_string(header.method);
    return false;
  }
  if (header.storedSize != file.size() - BdiHeader::kSize) {
    error = "stored size " + std::to_string(header.storedSize) + " does not match the file's " +
            std::to_string(file.size() - BdiHeader::kSize) + " payload bytes";
    return false;
  }
  if (header.pixelSize != static_cast<uint32_t>(header.width) * header.height) {
    error = "pixel size " + std::to_string(header.pixelSize) + " is not width x height";
    return false;
  }
  return true;
}

bool decodeBdiFile(const std::vector<uint8_t>& file, std::vector<uint8_t>& codes, std::string& error) {
  BdiHeader header;
  if (!parseBdiFile(file, header, error)) {
    return false;
  }
  codes.assign(header.pixelSize, 0);
  const uint8_t* payload = file.data() + BdiHeader::kSize;
  switch (header.method) {
    case BdiHeader::kStored:
      return copyRaw(payload, header.storedSize, codes.data(), header.pixelSize);
    case BdiHeader::kRle:
      return decodeRle(payload, header.storedSize, codes.data(), header.pixelSize);
    default:
      return decodeLzss(payload, header.storedSize, codes.data(), header.pixelSize);
  }
}
