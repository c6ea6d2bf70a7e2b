#include "render/BdiDecoders.h"

#include <cstddef>
#include <cstring>

namespace {

// LZSS ring geometry: 4096 bytes of history, references of 3 to 18 bytes, writing starts at 4078.
constexpr uint32_t kRingSize = 4096;
constexpr uint32_t kRingMask = kRingSize - 1;
constexpr uint32_t kMaxMatch = 18;
constexpr uint32_t kRingStart = kRingSize - kMaxMatch;

// The one LZSS ring of the program. Each decode refills positions 0..4077 with spaces and keeps
// the last 18 bytes the previous decode left there (zero before the first decode); streams made by
// our encoder never read those 18 before writing them, but older files may.
uint8_t lzssRing[kRingSize];

// Exact small copies and fills: a few fixed-size moves instead of a library call per packet.
// The pieces may overlap each other but never reach outside [dst, dst + n).
inline void copySmall(uint8_t* dst, const uint8_t* src, uint32_t n) {
  if (n >= 16) {
    uint32_t i = 0;
    for (; i + 16 <= n; i += 16) std::memcpy(dst + i, src + i, 16);
    if (i < n) std::memcpy(dst + n - 16, src + n - 16, 16);
  } else if (n >= 8) {
    uint64_t head, tail;
    std::memcpy(&head, src, 8);
    std::memcpy(&tail, src + n - 8, 8);
    std::memcpy(dst, &head, 8);
    std::memcpy(dst + n - 8, &tail, 8);
  } else if (n >= 4) {
    uint32_t head, tail;
    std::memcpy(&head, src, 4);
    std::memcpy(&tail, src + n - 4, 4);
    std::memcpy(dst, &head, 4);
    std::memcpy(dst + n - 4, &tail, 4);
  } else {
    for (uint32_t i = 0; i < n; ++i) dst[i] = src[i];
  }
}

inline void fillSmall(uint8_t* dst, uint8_t value, uint32_t n) {
  if (n >= 16) {
    uint8_t pattern[16];
    std::memset(pattern, value, 16);
    uint32_t i = 0;
    for (; i + 16 <= n; i += 16) std::memcpy(dst + i, pattern, 16);
    if (i < n) std::memcpy(dst + n - 16, pattern, 16);
  } else if (n >= 8) {
    const uint64_t pattern = value * 0x0101010101010101ull;
    std::memcpy(dst, &pattern, 8);
    std::memcpy(dst + n - 8, &pattern, 8);
  } else if (n >= 4) {
    const uint32_t pattern = value * 0x01010101u;
    std::memcpy(dst, &pattern, 4);
    std::memcpy(dst + n - 4, &pattern, 4);
  } else {
    for (uint32_t i = 0; i < n; ++i) dst[i] = value;
  }
}

}  // namespace

bool copyRaw(const uint8_t* payload, uint32_t length, uint8_t* out, uint32_t outSize) {
  const uint32_t n = length < outSize ? length : outSize;
  if (n > 0) std::memcpy(out, payload, n);
  return true;
}

// Packets: control byte c, then a value byte repeated c & 0x7F times (bit 7 set) or c literal
// bytes (bit 7 clear). A packet cut off by the end of the payload or of the output is written as
// far as both allow, and decoding ends there.
bool decodeRle(const uint8_t* payload, uint32_t length, uint8_t* out, uint32_t outSize) {
  const uint8_t* in = payload;
  const uint8_t* const inEnd = payload + length;
  uint8_t* o = out;
  uint8_t* const outEnd = out + outSize;
  while (in < inEnd) {
    const uint32_t control = *in++;
    uint32_t n = control & 0x7F;
    const uint32_t room = static_cast<uint32_t>(outEnd - o);
    if (control & 0x80) {
      if (in == inEnd) break;
      const uint8_t value = *in++;
      if (n > room) {
        fillSmall(o, value, room);
        break;
      }
      fillSmall(o, value, n);
      o += n;
    } else {
      const uint32_t available = static_cast<uint32_t>(inEnd - in);
      if (n > available || n > room) {
        n = available < room ? available : room;
        copySmall(o, in, n);
        break;
      }
      copySmall(o, in, n);
      in += n;
      o += n;
    }
  }
  return true;
}

// Flag bytes, low bit first, tell literals (1) from references (0). A reference is two bytes:
// ring position (12 bits) and length - 3 (4 bits); its bytes are copied one at a time, so it may
// repeat what it is producing.
//
// The ring is only ever written at position (4078 + k) & 4095 with the k-th output byte, so while
// decoding, ring position p holds output byte k - distance (distance = (write position - p) mod
// 4096, 0 meaning 4096) once that index is not negative, and its initial content otherwise. The
// decoder therefore copies straight from the output block and rebuilds the ring from the output at
// the end; the result is the same byte for byte as copying through the ring.
bool decodeLzss(const uint8_t* payload, uint32_t length, uint8_t* out, uint32_t outSize) {
  std::memset(lzssRing, ' ', kRingStart);

  const uint8_t* in = payload;
  const uint8_t* const inEnd = payload + length;
  uint32_t k = 0;  // output bytes written so far

  // Copies one reference of len bytes whose first source byte is output index k - distance.
  // Needs k + len <= outSize. Bytes before the output's start come from the initial ring.
  auto copyReference = [&](uint32_t position, uint32_t len) {
    const uint32_t distance = ((kRingStart + k - position - 1) & kRingMask) + 1;
    uint8_t* dst = out + k;
    if (distance <= k) {
      const uint8_t* src = dst - distance;
      if (distance >= len) {
        copySmall(dst, src, len);
      } else if (distance == 1) {
        fillSmall(dst, src[0], len);
      } else {
        for (uint32_t i = 0; i < len; ++i) dst[i] = src[i];
      }
    } else {
      for (uint32_t i = 0; i < len; ++i) {
        const uint32_t index = k + i;  // source index is index - distance, maybe negative
        dst[i] = index >= distance ? out[index - distance] : lzssRing[(position + i) & kRingMask];
      }
    }
    k += len;
  };

  // Whole flag groups while eight items surely fit in what is left of input and output.
  constexpr uint32_t kGroupInput = 1 + 8 * 2;
  constexpr uint32_t kGroupOutput = 8 * kMaxMatch;
  while (inEnd - in >= static_cast<std::ptrdiff_t>(kGroupInput) && outSize - k >= kGroupOutput) {
    uint32_t flags = *in++;
    for (int item = 0; item < 8; ++item, flags >>= 1) {
      if (flags & 1) {
        out[k++] = *in++;
      } else {
        const uint32_t b0 = in[0];
        const uint32_t b1 = in[1];
        in += 2;
        copyReference(b0 | ((b1 & 0xF0) << 4), (b1 & 0x0F) + 3);
      }
    }
  }

  // The rest item by item, ending at the first item that the input or the output cuts off.
  uint32_t flags = 0;
  while (in < inEnd) {
    flags >>= 1;
    if ((flags & 0x100) == 0) {
      flags = *in++ | 0xFF00u;
      if (in == inEnd) break;
    }
    if (flags & 1) {
      if (k == outSize) break;
      out[k++] = *in++;
    } else {
      if (inEnd - in < 2) break;
      const uint32_t b0 = in[0];
      const uint32_t b1 = in[1];
      in += 2;
      const uint32_t len = (b1 & 0x0F) + 3;
      const uint32_t room = outSize - k;
      copyReference(b0 | ((b1 & 0xF0) << 4), len < room ? len : room);
      if (len > room) break;
    }
  }

  // Leave the ring as a byte-by-byte decode would: the last (up to) 4096 output bytes at their
  // write positions. Only positions 4078..4095 outlive the next decode's refill.
  uint32_t i = k < kRingSize ? 0 : k - kRingSize;
  while (i < k) {
    const uint32_t position = (kRingStart + i) & kRingMask;
    const uint32_t run = k - i < kRingSize - position ? k - i : kRingSize - position;
    std::memcpy(lzssRing + position, out + i, run);
    i += run;
  }
  return true;
}
