#include "tools/bdi/BdiFile.h"

const char* bdiMethodName(int method) {
  switch (method) {
    case BdiHeader::kStored:
      return "stored";
    case BdiHeader::kRunLength:
      return "run-length";
    case BdiHeader::kLzss:
      return "LZSS";
    default:
      return "unknown";
  }
}

std::vector<uint8_t> makeBdiFile(uint16_t width, uint16_t height, uint8_t method, const std::vector<uint8_t>& payload) {
  BdiHeader header;
  header.method = method;
  header.width = width;
  header.height = height;
  header.storedSize = static_cast<uint32_t>(payload.size());
  header.pixelSize = static_cast<uint32_t>(width) * height;
  std::vector<uint8_t> file(BdiHeader::kSize);
  header.write(file.data());
  file.insert(file.end(), payload.begin(), payload.end());
  return file;
}

bool parseBdiFile(const std::vector<uint8_t>& file, BdiHeader& header, std::string& error) {
  switch (checkBdiFile(file.data(), file.size(), header)) {
    case BdiCheck::Ok:
      return true;
    case BdiCheck::TooShort:
      error = "too short for a BDI header (" + std::to_string(file.size()) + " bytes)";
      return false;
    case BdiCheck::BadMagic:
      error = "not a BDI file (bad magic)";
      return false;
    case BdiCheck::StoredSizeMismatch:
      error = "stored size " + std::to_string(header.storedSize) + " does not match the file's " +
              std::to_string(file.size() - BdiHeader::kSize) + " payload bytes";
      return false;
    case BdiCheck::BlockTooSmall:
      error = "pixel size " + std::to_string(header.pixelSize) + " is less than " + std::to_string(header.width) +
              " x " + std::to_string(header.height);
      return false;
    case BdiCheck::BlockTooLarge:
      error = "pixel size " + std::to_string(header.pixelSize) + " cannot come from " +
              std::to_string(header.storedSize) + " payload bytes (" + bdiMethodName(header.method) +
              " yields at most " + std::to_string(largestBdiBlock(header.method, header.storedSize)) + ")";
      return false;
    case BdiCheck::UnknownMethod:
      error = "unknown coding method " + std::to_string(header.method);
      return false;
  }
  return false;
}

bool decodeBdiFile(const std::vector<uint8_t>& file, BdiHeader& header, std::vector<uint8_t>& codes,
                   std::string& error) {
  if (!parseBdiFile(file, header, error)) {
    return false;
  }
  codes.assign(header.pixelSize, 0);
  return decodeBdiPayload(header.method, file.data() + BdiHeader::kSize, header.storedSize, codes.data(),
                          header.pixelSize);
}
