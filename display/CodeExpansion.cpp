#include "display/CodeExpansion.h"

#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

void expandCodesTable(const uint8_t* source, int32_t width, int32_t height, uint8_t* destination, int32_t pitch,
                      const uint16_t table[256]) {
  // Reads width codes per row, writes width words per row; rows never overlap since
  // pitch >= 2 * width on any surface of that width.
  for (int32_t row = 0; row < height; ++row) {
    const uint8_t* in = source + static_cast<ptrdiff_t>(row) * width;
    uint16_t* out = reinterpret_cast<uint16_t*>(destination + static_cast<ptrdiff_t>(row) * pitch);
    for (int32_t x = 0; x < width; ++x) out[x] = table[in[x]];
  }
}

namespace {

// The rest of a row after the last whole block of 32, one word per code.
inline void expandTail(const uint8_t* in, uint16_t* out, int32_t from, int32_t width) {
  for (int32_t x = from; x < width; ++x) out[x] = wordOfCode(in[x]);
}

// Four codes to their four words at once: each code is spread to a 16-bit lane of its own, then
// copied into the lane's high byte. A word's two bytes are equal, and the codes are read and the
// words written in the same native byte order, so this holds on any host.
inline uint64_t wordsOfFourCodes(uint32_t codes) {
  uint64_t lanes = codes;
  lanes = (lanes | lanes << 16) & 0x0000FFFF0000FFFFull;
  lanes = (lanes | lanes << 8) & 0x00FF00FF00FF00FFull;
  return lanes | lanes << 8;
}

}  // namespace

void expandCodesWords(const uint8_t* source, int32_t width, int32_t height, uint8_t* destination, int32_t pitch) {
  const int32_t blockEnd = width > 0 ? width - width % 8 : 0;
  for (int32_t row = 0; row < height; ++row) {
    const uint8_t* in = source + static_cast<ptrdiff_t>(row) * width;
    uint16_t* out = reinterpret_cast<uint16_t*>(destination + static_cast<ptrdiff_t>(row) * pitch);
    for (int32_t x = 0; x < blockEnd; x += 8) {
      uint32_t codes[2];
      std::memcpy(codes, in + x, sizeof codes);
      const uint64_t words[2] = {wordsOfFourCodes(codes[0]), wordsOfFourCodes(codes[1])};
      std::memcpy(out + x, words, sizeof words);
    }
    expandTail(in, out, blockEnd, width);
  }
}

void expandCodesPortable(const uint8_t* source, int32_t width, int32_t height, uint8_t* destination, int32_t pitch) {
#if defined(__wasm__) && !defined(__wasm_simd128__)
  // Without vector instructions the loop below does one code a step; the words path does eight
  // in about a third of the time.
  expandCodesWords(source, width, height, destination, pitch);
#else
  const int32_t blockEnd = width > 0 ? width - width % 32 : 0;
  for (int32_t row = 0; row < height; ++row) {
    const uint8_t* in = source + static_cast<ptrdiff_t>(row) * width;
    uint16_t* out = reinterpret_cast<uint16_t*>(destination + static_cast<ptrdiff_t>(row) * pitch);
    // Whole blocks of 32 codes; a fixed trip count the compiler can vectorise.
    for (int32_t x = 0; x < blockEnd; x += 32) {
      for (int32_t i = 0; i < 32; ++i) out[x + i] = wordOfCode(in[x + i]);
    }
    expandTail(in, out, blockEnd, width);
  }
#endif
}

void expandCodesFast(const uint8_t* source, int32_t width, int32_t height, uint8_t* destination, int32_t pitch) {
#if defined(__SSE2__)
  const int32_t blockEnd = width > 0 ? width - width % 32 : 0;
  for (int32_t row = 0; row < height; ++row) {
    const uint8_t* in = source + static_cast<ptrdiff_t>(row) * width;
    uint16_t* out = reinterpret_cast<uint16_t*>(destination + static_cast<ptrdiff_t>(row) * pitch);
    // Reads 32 codes and writes 32 words per step; x + 32 <= blockEnd <= width keeps both inside
    // the row. Unpacking a register with itself puts each code in both bytes of its word.
    for (int32_t x = 0; x < blockEnd; x += 32) {
      const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x));
      const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x + 16));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_unpacklo_epi8(low, low));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 8), _mm_unpackhi_epi8(low, low));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 16), _mm_unpacklo_epi8(high, high));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 24), _mm_unpackhi_epi8(high, high));
    }
    expandTail(in, out, blockEnd, width);
  }
#else
  expandCodesPortable(source, width, height, destination, pitch);
#endif
}
