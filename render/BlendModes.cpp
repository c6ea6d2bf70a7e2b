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

// The portable path, or the fastest one this build has (the same as portable without SSE2).
enum class Path { Portable, Fastest };

// Branch-free select: kept when keep holds, taken otherwise. Key and guard pixels are scattered
// through real sprites, so a branch here would be mispredicted every few pixels.
inline uint32_t keepIf(bool keep, uint32_t kept, uint32_t taken) {
  const uint32_t mask = 0u - static_cast<uint32_t>(keep);
  return (kept & mask) | (taken & ~mask);
}

// 0xFF in every byte of word that is zero, 0x00 in every other byte, without carries between
// bytes, so the portable select needs no per-byte branch.
inline uint64_t zeroByteMask(uint64_t word) {
  const uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
  const uint64_t nonZeroHigh = ((word & low7) + low7) | word;
  return ((~nonZeroHigh & 0x8080808080808080ull) >> 7) * 0xFF;
}

// The bulk of one row on the portable path: eight pixels a step, one 8-byte read each of source
// and destination, the eight results of blend, a byte-mask select for the kept pixels, one 8-byte
// write. Returns how many pixels it did.
template <Keep keep, typename Blend>
int32_t rowPortable(uint8_t match, const uint8_t* src, uint8_t* dst, int32_t width, Blend blend) {
  const uint64_t pattern = 0x0101010101010101ull * match;
  int32_t i = 0;
  for (; i + 8 <= width; i += 8) {
    uint64_t s8;
    uint64_t d8;
    std::memcpy(&s8, src + i, 8);
    std::memcpy(&d8, dst + i, 8);
    uint64_t out = blend(s8, d8);
    if (keep != Keep::None) {
      const uint64_t kept = zeroByteMask((keep == Keep::KeyedSource ? s8 : d8) ^ pattern);
      out = (out & ~kept) | (d8 & kept);
    }
    std::memcpy(dst + i, &out, 8);
  }
  return i;
}

#if defined(__SSE2__)
// The same with SSE2: sixteen pixels a step, one 16-byte read each of source and destination,
// the sixteen results of blend, a compare-and-select for the kept pixels, one 16-byte write.
template <Keep keep, typename Blend>
int32_t rowSse2(uint8_t match, const uint8_t* src, uint8_t* dst, int32_t width, Blend blend) {
  const __m128i pattern = _mm_set1_epi8(static_cast<char>(match));
  int32_t i = 0;
  for (; i + 16 <= width; i += 16) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    __m128i out = blend(s, d);
    if (keep != Keep::None) {
      const __m128i kept = _mm_cmpeq_epi8(keep == Keep::KeyedSource ? s : d, pattern);
      out = _mm_or_si128(_mm_and_si128(kept, d), _mm_andnot_si128(kept, out));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), out);
  }
  return i;
}

// Two table bytes for index lanes 2 * pair and 2 * pair + 1, packed as one 16-bit lane.
template <int pair>
inline int tablePair(const uint8_t* table, __m128i indices) {
  return table[_mm_extract_epi16(indices, 2 * pair)] | (table[_mm_extract_epi16(indices, 2 * pair + 1)] << 8);
}
#endif

// A mode over the clipped rectangle: pixel blends one source and destination code, word eight
// of them in 8-byte words, vector sixteen in SSE2 registers. No pixel is bounds-checked: the
// caller clipped the rectangle against both the image and the back buffer.
template <Path path, Keep keep, typename Pixel, typename Word, typename Vector>
void blendRect(const BlendJob& job, uint8_t match, Pixel pixel, Word word, Vector vector) {
  if (job.width <= 0 || job.height <= 0) {
    return;
  }
  uint8_t* dst = job.dst;
  const uint8_t* src = job.src;
  for (int32_t row = 0; row < job.height; ++row) {
#if defined(__SSE2__)
    int32_t i = path == Path::Fastest ? rowSse2<keep>(match, src, dst, job.width, vector)
                                      : rowPortable<keep>(match, src, dst, job.width, word);
#else
    int32_t i = rowPortable<keep>(match, src, dst, job.width, word);
    (void)vector;
#endif
    // The rest of the row: one source byte, one destination byte, one result, one write.
    for (; i < job.width; ++i) {
      const uint32_t s = src[i];
      const uint32_t d = dst[i];
      const bool kept = keep != Keep::None && (keep == Keep::KeyedSource ? s : d) == match;
      dst[i] = static_cast<uint8_t>(keepIf(kept, d, pixel(s, d)));
    }
    dst += job.dstStride;
    src += job.srcStride;
  }
}

// A table mode: one table byte per pixel, at s * 256 + d (or s).
template <Path path, Keep keep, Index index>
void tableBlend(const BlendJob& job, const uint8_t* table, uint8_t match) {
  const auto at = [table](uint32_t s, uint32_t d) -> uint32_t {
    return index == Index::SourceOnly ? table[s] : table[(s << 8) | d];
  };
  const auto word = [at](uint64_t s8, uint64_t d8) {
    uint64_t out = 0;
    for (int k = 0; k < 64; k += 8) out |= static_cast<uint64_t>(at((s8 >> k) & 0xFF, (d8 >> k) & 0xFF)) << k;
    return out;
  };
#if defined(__SSE2__)
  // The 16-bit indices are made by interleaving the two reads.
  const auto vector = [table](__m128i s, __m128i d) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = index == Index::SourceOnly ? _mm_unpacklo_epi8(s, zero) : _mm_unpacklo_epi8(d, s);
    const __m128i high = index == Index::SourceOnly ? _mm_unpackhi_epi8(s, zero) : _mm_unpackhi_epi8(d, s);
    __m128i out = _mm_cvtsi32_si128(tablePair<0>(table, low));
    out = _mm_insert_epi16(out, tablePair<1>(table, low), 1);
    out = _mm_insert_epi16(out, tablePair<2>(table, low), 2);
    out = _mm_insert_epi16(out, tablePair<3>(table, low), 3);
    out = _mm_insert_epi16(out, tablePair<0>(table, high), 4);
    out = _mm_insert_epi16(out, tablePair<1>(table, high), 5);
    out = _mm_insert_epi16(out, tablePair<2>(table, high), 6);
    return _mm_insert_epi16(out, tablePair<3>(table, high), 7);
  };
#else
  const int vector = 0;
#endif
  blendRect<path, keep>(job, match, at, word, vector);
}

// Keyed or guarded copy: the source, where it is not kept.
template <Path path, Keep keep>
void selectCopy(const BlendJob& job, uint8_t match) {
#if defined(__SSE2__)
  const auto vector = [](__m128i s, __m128i) { return s; };
#else
  const int vector = 0;
#endif
  blendRect<path, keep>(
      job, match, [](uint32_t s, uint32_t) { return s; }, [](uint64_t s8, uint64_t) { return s8; }, vector);
}

// Mode 0 on both paths: each row is one block copy of the clipped width.
void copyRows(const BlendJob& job) {
  if (job.width <= 0 || job.height <= 0) {
    return;
  }
  uint8_t* dst = job.dst;
  const uint8_t* src = job.src;
  for (int32_t row = 0; row < job.height; ++row) {
    std::memcpy(dst, src, static_cast<size_t>(job.width));
    dst += job.dstStride;
    src += job.srcStride;
  }
}

// The key for keyed modes, the guard colour for guarded ones (unused by plain modes).
template <Keep keep>
uint8_t matchOf(const BlendJob& job) {
  return keep == Keep::KeyedSource ? job.key : job.guard;
}

template <Path path, Keep keep>
void copyMode(const BlendJob& job) {
  selectCopy<path, keep>(job, matchOf<keep>(job));
}

const uint8_t* alphaLevel(const BlendJob& job) {
  return &alphaTable[job.level & 0xF][0][0];
}
const uint8_t* addPairs(const BlendJob&) {
  return &addTable[0][0];
}
const uint8_t* subPairs(const BlendJob&) {
  return &subTable[0][0];
}
const uint8_t* greyCodes(const BlendJob&) {
  return greyTable;
}

template <Path path, Keep keep, Index index, const uint8_t* (*tableOf)(const BlendJob&)>
void tableMode(const BlendJob& job) {
  tableBlend<path, keep, index>(job, tableOf(job), matchOf<keep>(job));
}

constexpr Keep kPlain = Keep::None;
constexpr Keep kKeyed = Keep::KeyedSource;
constexpr Keep kGuarded = Keep::GuardedDestination;
constexpr Index kPair = Index::SourceAndDestination;
constexpr Index kSource = Index::SourceOnly;

// Dispatch by mode number: an empty slot draws nothing.
template <Path path>
constexpr BlendRoutine kRoutines[kBlendModeSlots] = {
    copyRows,                                       // 0 Copy
    copyMode<path, kKeyed>,                         // 1 CopyKeyed
    copyMode<path, kGuarded>,                       // 2 CopyGuarded
    tableMode<path, kPlain, kPair, alphaLevel>,     // 3 Alpha
    tableMode<path, kKeyed, kPair, alphaLevel>,     // 4 AlphaKeyed
    tableMode<path, kGuarded, kPair, alphaLevel>,   // 5 AlphaGuarded
    tableMode<path, kPlain, kPair, addPairs>,       // 6 Add
    tableMode<path, kKeyed, kPair, addPairs>,       // 7 AddKeyed
    tableMode<path, kGuarded, kPair, addPairs>,     // 8 AddGuarded
    tableMode<path, kPlain, kPair, subPairs>,       // 9 Sub
    nullptr,                                        // 10
    nullptr,                                        // 11
    nullptr,                                        // 12
    nullptr,                                        // 13
    nullptr,                                        // 14
    nullptr,                                        // 15
    tableMode<path, kKeyed, kPair, subPairs>,       // 16 SubKeyed
    tableMode<path, kGuarded, kPair, subPairs>,     // 17 SubGuarded
    tableMode<path, kPlain, kSource, greyCodes>,    // 18 Grey
    tableMode<path, kKeyed, kSource, greyCodes>,    // 19 GreyKeyed
    tableMode<path, kGuarded, kSource, greyCodes>,  // 20 GreyGuarded
};

template <Path path>
BlendRoutine routineFor(int32_t mode) {
  return mode < 0 || mode >= kBlendModeSlots ? nullptr : kRoutines<path>[mode];
}

}  // namespace

BlendRoutine blendRoutineFor(int32_t mode) {
  return routineFor<Path::Fastest>(mode);
}

BlendRoutine portableBlendRoutineFor(int32_t mode) {
  return routineFor<Path::Portable>(mode);
}
