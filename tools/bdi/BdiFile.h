#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The 16-byte header of a BDI image file, little-endian:
//   0 magic 0x4249 ("IB"), 2 free byte, 3 method (0 stored, 1 run-length, 2 LZSS),
//   4 width, 6 height, 8 storedSize (payload bytes, the file length minus 16), 12 pixelSize.
struct BdiHeader {
  static constexpr uint16_t kMagic = 0x4249;
  static constexpr size_t kSize = 16;
  enum Method : uint8_t { kStored = 0, kRle = 1, kLzss = 2 };

  uint8_t method = kStored;
  uint16_t width = 0;
  uint16_t height = 0;
  uint32_t storedSize = 0;
  uint32_t pixelSize = 0;

  static const char* methodName(int method);
};

// A whole BDI file: the header for a width x height image of codes, then the payload.
std::vector<uint8_t> makeBdiFile(uint16_t width, uint16_t height, uint8_t method, const std::vector<uint8_t>& payload);

// Reads the header fields of a whole BDI file; checks only its length and the magic.
bool readBdiHeader(const std::vector<uint8_t>& file, BdiHeader& header, std::string& error);

// Reads and checks the header of a whole BDI file: the magic, a known method, storedSize equal
// to the file length minus 16 and pixelSize equal to width x height (the engine trusts pixelSize
// for its block but draws width x height bytes of it, so our tools refuse a mismatch).
bool parseBdiFile(const std::vector<uint8_t>& file, BdiHeader& header, std::string& error);

// Decodes a checked file into width x height codes with the engine's own decoders.
bool decodeBdiFile(const std::vector<uint8_t>& file, std::vector<uint8_t>& codes, std::string& error);
