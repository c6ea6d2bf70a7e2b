#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Payload coders for the three BDI methods; each output decodes to exactly the input codes with
// the engine's matching decoder.

// Method 0: the codes themselves.
std::vector<uint8_t> encodeStored(const uint8_t* codes, size_t size);

// Method 1: packets of a control byte c with n = c & 0x7F; bit 7 set: one value byte repeated n
// times; clear: n literal bytes. Runs of three or more equal bytes become run packets, everything
// else is gathered into literal packets of up to 127 bytes.
std::vector<uint8_t> encodeRle(const uint8_t* codes, size_t size);

// Method 2: LZSS (see LzssEncoder).
std::vector<uint8_t> encodeLzss(const uint8_t* codes, size_t size);

// The payload of one method (0, 1 or 2).
std::vector<uint8_t> encodePayload(int method, const uint8_t* codes, size_t size);
