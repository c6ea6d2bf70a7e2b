#pragma once

#include <cstdint>

/// @file
/// Decoders of the three BDI payload codings. Each reads no byte at or past payload + length and
/// writes no byte at or past out + outSize; each returns true once it has consumed its input.

/// Method 0, stored: the payload is the pixels.
bool copyRaw(const uint8_t* payload, uint32_t length, uint8_t* out, uint32_t outSize);
/// Method 1, run-length coding.
bool decodeRle(const uint8_t* payload, uint32_t length, uint8_t* out, uint32_t outSize);
/// Method 2, LZSS coding.
bool decodeLzss(const uint8_t* payload, uint32_t length, uint8_t* out, uint32_t outSize);
