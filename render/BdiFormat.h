/// @file
/// The BDI image file: its header, the check of a whole file and the choice of decoder.
#pragma once

#include <cstdint>

/// The BDI image file: a 16-byte little-endian header, then the coded pixels (the payload).
/// @verbatim
///   0  magic 0x4249 (the bytes "IB")   4  width       8   storedSize: payload bytes (file length - 16)
///   2  a free byte, never read          6  height      12  pixelSize: bytes of the decoded block
///   3  method: 0 stored, 1 run-length, 2 LZSS
/// @endverbatim
/// The decoded image is height rows of width colour codes at the start of a block of pixelSize
/// bytes.
struct BdiHeader {
  static constexpr int32_t kSize = 16;        ///< bytes of the header
  static constexpr uint16_t kMagic = 0x4249;  ///< the bytes "IB" read as one word
  /// How the payload is coded.
  enum Method : uint8_t { kStored = 0, kRunLength = 1, kLzss = 2 };

  uint16_t magic = kMagic;   ///< kMagic in a BDI file
  uint8_t freeByte = 0;      ///< byte 2, never read
  uint8_t method = kStored;  ///< a Method; other values have no decoder
  uint16_t width = 0;        ///< pixels per row
  uint16_t height = 0;       ///< rows
  uint32_t storedSize = 0;   ///< payload bytes: the file's length minus 16
  uint32_t pixelSize = 0;    ///< bytes of the decoded block, at least width x height

  /// The header in the 16 bytes at in, as stored (checkBdiFile checks it).
  static BdiHeader read(const uint8_t in[kSize]);
  /// Writes the header's 16 bytes into out.
  void write(uint8_t out[kSize]) const;
};

/// What a file's header says about it, each answer given only when the ones before it passed.
enum class BdiCheck {
  Ok,                  ///< a file the decoders can take
  TooShort,            ///< fewer than 16 bytes
  BadMagic,            ///< the first two bytes are not "IB"
  StoredSizeMismatch,  ///< storedSize is not the file length minus 16
  BlockTooSmall,       ///< pixelSize is below width x height, which drawing reads
  BlockTooLarge,       ///< no payload of storedSize bytes decodes to pixelSize bytes
  UnknownMethod,       ///< everything fits, but there is no decoder for the method
};

/// Reads the header of a whole file of fileSize bytes (into header, whenever the file holds one)
/// and checks it. The sizes are checked before anything is allocated: a block larger than the
/// payload can decode to would be a large allocation made on the word of a tiny file.
BdiCheck checkBdiFile(const uint8_t* file, uint64_t fileSize, BdiHeader& header);

/// The largest block a payload of storedSize bytes can decode to with method; for a method
/// without a decoder, the largest any coding can give.
uint64_t largestBdiBlock(uint8_t method, uint32_t storedSize);

/// Decodes a payload with the decoder of method into out (outSize bytes); false for a method
/// without a decoder.
bool decodeBdiPayload(uint8_t method, const uint8_t* payload, uint32_t length, uint8_t* out, uint32_t outSize);
