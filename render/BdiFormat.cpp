#include "render/BdiFormat.h"

#include "archive/LittleEndian.h"
#include "render/BdiDecoders.h"

BdiHeader BdiHeader::read(const uint8_t in[kSize]) {
  BdiHeader header;
  header.magic = readLe16(in + 0);
  header.freeByte = in[2];
  header.method = in[3];
  header.width = readLe16(in + 4);
  header.height = readLe16(in + 6);
  header.storedSize = readLe32(in + 8);
  header.pixelSize = readLe32(in + 12);
  return header;
}

void BdiHeader::write(uint8_t out[kSize]) const {
  writeLe16(out + 0, magic);
  out[2] = freeByte;
  out[3] = method;
  writeLe16(out + 4, width);
  writeLe16(out + 6, height);
  writeLe32(out + 8, storedSize);
  writeLe32(out + 12, pixelSize);
}

uint64_t largestBdiBlock(uint8_t method, uint32_t storedSize) {
  const uint64_t n = storedSize;
  switch (method) {
    case BdiHeader::kStored:
      return n;  // one byte out per byte in
    case BdiHeader::kLzss:
      // At best a flag byte and eight references of two bytes each, 18 bytes out per reference:
      // 144 bytes out of every 17. A partial group yields less per byte.
      return n / 17 * 144 + (n % 17 == 0 ? 0 : (n % 17 - 1) / 2 * 18 + (n % 17 - 1) % 2);
    default:
      // Run-length at best: a control byte of 0xFF and its value give 127 bytes out of every
      // two; no other coding comes near, so it also bounds a method without a decoder.
      return n / 2 * 127;
  }
}

BdiCheck checkBdiFile(const uint8_t* file, uint64_t fileSize, BdiHeader& header) {
  if (fileSize < static_cast<uint64_t>(BdiHeader::kSize)) {
    return BdiCheck::TooShort;
  }
  header = BdiHeader::read(file);
  if (header.magic != BdiHeader::kMagic) {
    return BdiCheck::BadMagic;
  }
  if (header.storedSize != fileSize - BdiHeader::kSize) {
    return BdiCheck::StoredSizeMismatch;
  }
  if (static_cast<uint64_t>(header.width) * header.height > header.pixelSize) {
    return BdiCheck::BlockTooSmall;
  }
  if (header.pixelSize > largestBdiBlock(header.method, header.storedSize)) {
    return BdiCheck::BlockTooLarge;
  }
  if (header.method > BdiHeader::kLzss) {
    return BdiCheck::UnknownMethod;
  }
  return BdiCheck::Ok;
}

bool decodeBdiPayload(uint8_t method, const uint8_t* payload, uint32_t length, uint8_t* out, uint32_t outSize) {
  switch (method) {
    case BdiHeader::kStored:
      return copyRaw(payload, length, out, outSize);
    case BdiHeader::kRunLength:
      return decodeRle(payload, length, out, outSize);
    case BdiHeader::kLzss:
      return decodeLzss(payload, length, out, outSize);
    default:
      return false;
  }
}
