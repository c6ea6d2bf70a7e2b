// Arbitrary payloads into copyRaw, decodeRle and decodeLzss. The first two input bytes choose the
// size of the output block (0 to 16383), the rest is the payload. Payload and output live in heap
// blocks of exactly their size, so any read or write past them trips AddressSanitizer. Each
// decoder's output is also compared with a byte-by-byte decode of the same payload.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "render/BdiDecoders.h"

namespace {

size_t referenceRle(const uint8_t* in, size_t length, uint8_t* out, size_t outSize) {
  size_t i = 0, o = 0;
  while (i < length) {
    const uint8_t c = in[i++];
    const int n = c & 0x7F;
    if (c & 0x80) {
      if (i >= length) break;
      const uint8_t v = in[i++];
      for (int k = 0; k < n; ++k) {
        if (o >= outSize) return o;
        out[o++] = v;
      }
    } else {
      for (int k = 0; k < n; ++k) {
        if (i >= length || o >= outSize) return o;
        out[o++] = in[i++];
      }
    }
  }
  return o;
}

// A ring of its own that goes through the same decodes as the decoder's, so both keep the same
// last 18 bytes from one input to the next.
uint8_t referenceRing[4096];

size_t referenceLzss(const uint8_t* in, size_t length, uint8_t* out, size_t outSize) {
  std::memset(referenceRing, ' ', 4078);
  unsigned r = 4078, flags = 0;
  size_t i = 0, o = 0;
  while (i < length) {
    flags >>= 1;
    if ((flags & 0x100) == 0) {
      flags = in[i++] | 0xFF00u;
      if (i >= length) break;
    }
    if (flags & 1) {
      if (o >= outSize) break;
      out[o++] = referenceRing[r] = in[i++];
      r = (r + 1) & 0xFFF;
    } else {
      if (i + 2 > length) break;
      const unsigned p = in[i] | ((in[i + 1] & 0xF0u) << 4);
      const unsigned len = (in[i + 1] & 0x0Fu) + 3;
      i += 2;
      for (unsigned k = 0; k < len; ++k) {
        if (o >= outSize) return o;
        out[o++] = referenceRing[r] = referenceRing[(p + k) & 0xFFF];
        r = (r + 1) & 0xFFF;
      }
    }
  }
  return o;
}

void check(bool (*decoder)(const uint8_t*, uint32_t, uint8_t*, uint32_t),
           size_t (*reference)(const uint8_t*, size_t, uint8_t*, size_t), const uint8_t* payload, size_t length,
           size_t outSize) {
  std::unique_ptr<uint8_t[]> out(new uint8_t[outSize]);
  std::unique_ptr<uint8_t[]> expected(new uint8_t[outSize]);
  std::memset(out.get(), 0xCD, outSize);
  std::memset(expected.get(), 0xCD, outSize);
  if (!decoder(payload, static_cast<uint32_t>(length), out.get(), static_cast<uint32_t>(outSize))) __builtin_trap();
  reference(payload, length, expected.get(), outSize);
  if (std::memcmp(out.get(), expected.get(), outSize) != 0) __builtin_trap();
}

size_t referenceCopy(const uint8_t* in, size_t length, uint8_t* out, size_t outSize) {
  const size_t n = length < outSize ? length : outSize;
  if (n > 0) std::memcpy(out, in, n);
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t outSize = (data[0] | (data[1] << 8)) & 0x3FFF;
  const size_t length = size - 2;
  std::unique_ptr<uint8_t[]> payload(new uint8_t[length]);
  if (length > 0) std::memcpy(payload.get(), data + 2, length);
  check(copyRaw, referenceCopy, payload.get(), length, outSize);
  check(decodeRle, referenceRle, payload.get(), length, outSize);
  check(decodeLzss, referenceLzss, payload.get(), length, outSize);
  return 0;
}
