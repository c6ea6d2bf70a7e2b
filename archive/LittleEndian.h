/// @file
/// Little-endian integers in file images, read and written byte by byte: neither the host's byte
/// order nor the alignment of the bytes matters, and no struct is ever cast over a file's bytes.
#pragma once

#include <cstdint>

/// The 16-bit integer stored at bytes, low byte first.
inline uint16_t readLe16(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

/// The 32-bit integer stored at bytes, low byte first.
inline uint32_t readLe32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
         (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

/// Stores value in the two bytes at bytes, low byte first.
inline void writeLe16(uint8_t* bytes, uint16_t value) {
  bytes[0] = static_cast<uint8_t>(value);
  bytes[1] = static_cast<uint8_t>(value >> 8);
}

/// Stores value in the four bytes at bytes, low byte first.
inline void writeLe32(uint8_t* bytes, uint32_t value) {
  bytes[0] = static_cast<uint8_t>(value);
  bytes[1] = static_cast<uint8_t>(value >> 8);
  bytes[2] = static_cast<uint8_t>(value >> 16);
  bytes[3] = static_cast<uint8_t>(value >> 24);
}
