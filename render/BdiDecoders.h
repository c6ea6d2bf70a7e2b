#pragma once

#include <cstdint>

// Decoders of the three BDI payload codings. Each reads no byte at or past payload + length and
// writes no byte at or past out + outSize; each returns true once it has consumed its input.
bool copyRaw(const uint8_t* payload, uint32_t length, uint8_t* out, uint32_t outSize);
bool decodeRle(const uint8_t* payload, uint32_t length, uint8_t* out, uint32_t outSize);
bool decodeLzss(const uint8_t* payload, uint32_t length, uint8_t* out, uint32_t outSize);
