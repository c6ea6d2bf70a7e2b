#include "render/BlendModes.h"

#include "render/BlendTables.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Which pixels keep their destination code: none, those whose source is the key, or those
// whose destination is the guard colour.
enum class Keep { None, KeyedSource, GuardedDestination };

// How the table is indexed: by source and destination ([s][d], 256 x 256) or by source alone.
enum class Index { SourceAndDestination, SourceOnly };

// Branch-free select: kept when keep holds, taken otherwise. Key and guard pixels are scattered
// through real sprites, so a branch here would be mispredicted every few pixels.
inline uint32_t keepIf(bool keep, uint32_t kept, uint32_t taken) {
  const uint32_t mask = 0u - static_cast<uint32_t>(keep);
  return (kept & mask) | (taken & ~mask);
}

// One pixel of a table mode; the tail of each row and every pixel without SSE2.
template <Keep keep, Index index>
inline uint8_t tablePixel(const uint8_t* table, uint32_t match, uint32_t s, uint32_t d) {
  const uint32_t blended = index == Index::SourceOnly ? table[s] : table[(s << 8) | d];
  if (keep == Keep::None) {
    return static_cast<uint8_t>(blended);
  }
  const bool kept = (keep == Keep::KeyedSource ? s : d) == match;
  return static_cast<uint8_t>(keepIf(kept, d, blended));
}

#if !defined(__SSE2__)
// 0xFF in every byte of word that is zero, 0x00 in every other byte, without carries between
// bytes, so the select below needs no per-byte branch.
inline uint64_t zeroByteMask(uint64_t word) {
  const uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
  const uint64_t nonZeroHigh = ((word & low7) + low7) | word;
  return ((~nonZeroHigh & 0x8080808080808080ull) >> 7) * 0xFF;
}

inline uint32_t byteAt(uint64_t word, int k) {
  return static_cast<uint32_t>(word >> (8 * k)) & 0xFF;
}
#endif

#if defined(__SSE2__)
// Two table bytes for index lanes 2 * pair and 2 * pair + 1, packed as one 16-bit lane.
template <int pair>
inline int tablePair(const uint8_t* table, __m128i indices) {
  return table[_mm_extract_epi16(indices, 2 * pair)] | (table[_mm_extract_epi16(indices, 2 * pair + 1)] << 8);
}
#endif

// A table mode over the clipped rectangle. No pixel is bounds-checked: the caller clipped the
// rectangle against both the image and the back buffer.
template <Keep keep, Index index>
void tableBlend(const BlendJob& job, const uint8_t* table, uint8_t match) {
  if (job.width <= 0 || job.height <= 0) {
    return;
  }
  const int32_t width = job.width;
  uint8_t* dst = job.dst;
  const uint8_t* src = job.src;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i pattern = _mm_set1_epi8(static_cast<char>(match));
#else
  const uint64_t pattern = 0x0101010101010101ull * match;
#endif
  for (int32_t row = 0; row < job.height; ++row) {
    int32_t i = 0;
#if defined(__SSE2__)
    // Sixteen pixels a step: one 16-byte read each of source and destination, one table byte
    // per pixel at the 16-bit index s * 256 + d (or s) made by interleaving the two reads, a
    // compare-and-select for the kept pixels, one 16-byte write.
    for (; i + 16 <= width; i += 16) {
      const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
      const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
      const __m128i low = index == Index::SourceOnly ? _mm_unpacklo_epi8(s, zero) : _mm_unpacklo_epi8(d, s);
      const __m128i high = index == Index::SourceOnly ? _mm_unpackhi_epi8(s, zero) : _mm_unpackhi_epi8(d, s);
      __m128i out = _mm_cvtsi32_si128(tablePair<0>(table, low));
      out = _mm_insert_epi16(out, tablePair<1>(table, low), 1);
      out = _mm_insert_epi16(out, tablePair<2>(table, low), 2);
      out = _mm_insert_epi16(out, tablePair<3>(table, low), 3);
      out = _mm_insert_epi16(out, tablePair<0>(table, high), 4);
      out = _mm_insert_epi16(out, tablePair<1>(table, high), 5);
      out = _mm_insert_epi16(out, tablePair<2>(table, high), 6);
      out = _mm_insert_epi16(out, tablePair<3>(table, high), 7);
      if (keep != Keep::None) {
        const __m128i kept = _mm_cmpeq_epi8(keep == Keep::KeyedSource ? s : d, pattern);
        out = _mm_or_si128(_mm_and_si128(kept, d), _mm_andnot_si128(kept, out));
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), out);
    }
#else
    // Eight pixels a step: one 8-byte read each of source and destination, one table byte per
    // pixel, a byte-mask select for the kept pixels, one 8-byte write.
    for (; i + 8 <= width; i += 8) {
      uint64_t s8;
      uint64_t d8;
      std::memcpy(&s8, src + i, 8);
      std::memcpy(&d8, dst + i, 8);
      uint64_t out = 0;
      for (int k = 0; k < 8; ++k) {
        out |= static_cast<uint64_t>(tablePixel<Keep::None, index>(table, 0, byteAt(s8, k), byteAt(d8, k))) << (8 * k);
      }
      if (keep != Keep::None) {
        const uint64_t kept = zeroByteMask((keep == Keep::KeyedSource ? s8 : d8) ^ pattern);
        out = (out & ~kept) | (d8 & kept);
      }
      std::memcpy(dst + i, &out, 8);
    }
#endif
    // The rest of the row: one source byte, one destination byte, one table byte, one write.
    for (; i < width; ++i) {
      dst[i] = tablePixel<keep, index>(table, match, src[i], dst[i]);
    }
    dst += job.dstStride;
    src += job.srcStride;
  }
}

// Keyed or guarded copy over the clipped rectangle (no per-pixel bounds checks, as above).
template <Keep keep>
void selectCopy(const BlendJob& job, uint8_t match) {
  if (job.width <= 0 || job.height <= 0) {
    return;
  }
  const int32_t width = job.width;
  uint8_t* dst = job.dst;
  const uint8_t* src = job.src;
#if defined(__SSE2__)
  const __m128i pattern = _mm_set1_epi8(static_cast<char>(match));
#else
  const uint64_t pattern = 0x0101010101010101ull * match;
#endif
  for (int32_t row = 0; row < job.height; ++row) {
    int32_t i = 0;
#if defined(__SSE2__)
    // Sixteen pixels a step: one 16-byte read each of source and destination, one compare of
    // the tested side with the key or guard, one select, one 16-byte write.
    for (; i + 16 <= width; i += 16) {
      const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
      const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
      const __m128i kept = _mm_cmpeq_epi8(keep == Keep::KeyedSource ? s : d, pattern);
      const __m128i out = _mm_or_si128(_mm_and_si128(kept, d), _mm_andnot_si128(kept, s));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), out);
    }
#else
    // Eight pixels a step: one 8-byte read each of source and destination, a byte-mask
    // select, one 8-byte write.
    for (; i + 8 <= width; i += 8) {
      uint64_t s8;
      uint64_t d8;
      std::memcpy(&s8, src + i, 8);
      std::memcpy(&d8, dst + i, 8);
      const uint64_t kept = zeroByteMask((keep == Keep::KeyedSource ? s8 : d8) ^ pattern);
      const uint64_t out = (s8 & ~kept) | (d8 & kept);
      std::memcpy(dst + i, &out, 8);
    }
#endif
    // The rest of the row: one source byte, one destination byte, one write.
    for (; i < width; ++i) {
      const uint32_t s = src[i];
      const uint32_t d = dst[i];
      dst[i] = static_cast<uint8_t>(keepIf((keep == Keep::KeyedSource ? s : d) == match, d, s));
    }
    dst += job.dstStride;
    src += job.srcStride;
  }
}

const uint8_t* alphaLevel(const BlendJob& job) {
  return &alphaTable[job.level & 0xF][0][0];
}
const uint8_t* addPairs() {
  return &addTable[0][0];
}
const uint8_t* subPairs() {
  return &subTable[0][0];
}

constexpr Index kPair = Index::SourceAndDestination;
constexpr Index kSource = Index::SourceOnly;

}  // namespace

void blendCopy(const BlendJob& job) {
  if (job.width <= 0 || job.height <= 0) {
    return;
  }
  uint8_t* dst = job.dst;
  const uint8_t* src = job.src;
  const size_t rowBytes = static_cast<size_t>(job.width);
  // Each row is one block copy of the clipped width.
  for (int32_t row = 0; row < job.height; ++row) {
    std::memcpy(dst, src, rowBytes);
    dst += job.dstStride;
    src += job.srcStride;
  }
}

void blendCopyKeyed(const BlendJob& job) {
  selectCopy<Keep::KeyedSource>(job, job.key);
}

void blendCopyGuarded(const BlendJob& job) {
  selectCopy<Keep::GuardedDestination>(job, job.guard);
}

void blendAlpha(const BlendJob& job) {
  tableBlend<Keep::None, kPair>(job, alphaLevel(job), 0);
}

void blendAlphaKeyed(const BlendJob& job) {
  tableBlend<Keep::KeyedSource, kPair>(job, alphaLevel(job), job.key);
}

void blendAlphaGuarded(const BlendJob& job) {
  tableBlend<Keep::GuardedDestination, kPair>(job, alphaLevel(job), job.guard);
}

void blendAdd(const BlendJob& job) {
  tableBlend<Keep::None, kPair>(job, addPairs(), 0);
}

void blendAddKeyed(const BlendJob& job) {
  tableBlend<Keep::KeyedSource, kPair>(job, addPairs(), job.key);
}

void blendAddGuarded(const BlendJob& job) {
  tableBlend<Keep::GuardedDestination, kPair>(job, addPairs(), job.guard);
}

void blendSub(const BlendJob& job) {
  tableBlend<Keep::None, kPair>(job, subPairs(), 0);
}

void blendSubKeyed(const BlendJob& job) {
  tableBlend<Keep::KeyedSource, kPair>(job, subPairs(), job.key);
}

void blendSubGuarded(const BlendJob& job) {
  tableBlend<Keep::GuardedDestination, kPair>(job, subPairs(), job.guard);
}

void blendGrey(const BlendJob& job) {
  tableBlend<Keep::None, kSource>(job, greyTable, 0);
}

void blendGreyKeyed(const BlendJob& job) {
  tableBlend<Keep::KeyedSource, kSource>(job, greyTable, job.key);
}

void blendGreyGuarded(const BlendJob& job) {
  tableBlend<Keep::GuardedDestination, kSource>(job, greyTable, job.guard);
}

const BlendRoutine blendRoutines[kBlendModeSlots] = {
    blendCopy,          // 0
    blendCopyKeyed,     // 1
    blendCopyGuarded,   // 2
    blendAlpha,         // 3
    blendAlphaKeyed,    // 4
    blendAlphaGuarded,  // 5
    blendAdd,           // 6
    blendAddKeyed,      // 7
    blendAddGuarded,    // 8
    blendSub,           // 9
    nullptr,            // 10
    nullptr,            // 11
    nullptr,            // 12
    nullptr,            // 13
    nullptr,            // 14
    nullptr,            // 15
    blendSubKeyed,      // 16
    blendSubGuarded,    // 17
    blendGrey,          // 18
    blendGreyKeyed,     // 19
    blendGreyGuarded,   // 20
};

BlendRoutine blendRoutineFor(int32_t mode) {
  if (mode < 0 || mode >= kBlendModeSlots) {
    return nullptr;
  }
  return blendRoutines[mode];
}
