#pragma once

#include <cstdint>

/// @file
/// Expansion of colour codes to the 16-bit words the screen shows: `height` rows of `width` codes
/// from `source` (row stride `width`) into `destination` (row stride `pitch` bytes, 2-byte
/// aligned). Code c becomes the word c * 0x101 on every path.

/// SSE2 where the compiler targets it, else the portable path.
void expandCodesFast(const uint8_t* source, int32_t width, int32_t height, uint8_t* destination, int32_t pitch);
/// The same words without SIMD intrinsics: blocks of 32 codes that the compiler vectorises where
/// the target has vectors, or on targets without any (WebAssembly without SIMD) the words path.
/// Builds for targets without SSE2 (the browser among them) use it as their fast path.
void expandCodesPortable(const uint8_t* source, int32_t width, int32_t height, uint8_t* destination, int32_t pitch);
/// The same words eight codes a step in plain 64-bit integers, for targets without vectors.
void expandCodesWords(const uint8_t* source, int32_t width, int32_t height, uint8_t* destination, int32_t pitch);
/// Each code through a 256-entry table of words.
void expandCodesTable(const uint8_t* source, int32_t width, int32_t height, uint8_t* destination, int32_t pitch,
                      const uint16_t table[256]);
/// The word of one code with the default table.
inline uint16_t wordOfCode(uint8_t code) {
  return static_cast<uint16_t>(code * 0x101u);
}
