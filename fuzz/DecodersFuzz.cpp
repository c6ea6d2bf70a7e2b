// Arbitrary payloads into copyRaw, decodeRle and decodeLzss. The first two input bytes choose the
// size of the output block (0 to 16383), the rest is the payload. Payload and output live in heap
// blocks of exactly their size, so any read or write past them trips AddressSanitizer. Each
// decoder's output must equal a byte-by-byte decode of the same payload. The same bytes, taken as
// codes, must also come back whole through each of our tools' coders and the engine's decoders,
// whatever the previous input left in the LZSS ring.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "archive/LittleEndian.h"
#include "render/BdiDecoders.h"
#include "tools/bdi/BdiEncoder.h"

namespace {

void referenceCopy(const uint8_t* in, size_t length, uint8_t* out, size_t outSize) {
  if (length > 0 && outSize > 0) std::memcpy(out, in, length < outSize ? length : outSize);
}

void referenceRle(const uint8_t* in, size_t length, uint8_t* out, size_t outSize) {
  for (size_t i = 0, o = 0; i < length;) {
    const uint8_t c = in[i++];
    if ((c & 0x80) && i == length) return;
    const uint8_t value = (c & 0x80) ? in[i++] : 0;
    for (int k = 0; k < (c & 0x7F); ++k) {
      if (o == outSize || (!(c & 0x80) && i == length)) return;
      out[o++] = (c & 0x80) ? value : in[i++];
    }
  }
}

// A ring of its own that goes through the same decodes as the decoder's, so both keep the same
// last 18 bytes from one input to the next.
uint8_t referenceRing[4096];

void referenceLzss(const uint8_t* in, size_t length, uint8_t* out, size_t outSize) {
  std::memset(referenceRing, ' ', 4078);
  unsigned r = 4078, flags = 0;
  for (size_t i = 0, o = 0; i < length;) {
    flags >>= 1;
    if ((flags & 0x100) == 0) {
      flags = in[i++] | 0xFF00u;
      if (i == length) return;
    }
    if (flags & 1) {
      if (o == outSize) return;
      out[o++] = referenceRing[r] = in[i++];
      r = (r + 1) & 0xFFF;
      continue;
    }
    if (i + 2 > length) return;
    const unsigned p = in[i] | ((in[i + 1] & 0xF0u) << 4), count = (in[i + 1] & 0x0Fu) + 3;
    i += 2;
    for (unsigned k = 0; k < count; ++k, r = (r + 1) & 0xFFF) {
      if (o == outSize) return;
      out[o++] = referenceRing[r] = referenceRing[(p + k) & 0xFFF];
    }
  }
}

using Decoder = bool (*)(const uint8_t*, uint32_t, uint8_t*, uint32_t);
using Reference = void (*)(const uint8_t*, size_t, uint8_t*, size_t);
const Decoder kDecoders[] = {copyRaw, decodeRle, decodeLzss};
const Reference kReferences[] = {referenceCopy, referenceRle, referenceLzss};

// The block the engine's decoder of method makes of a payload, which the reference must make too
// (every LZSS decode goes through both, so that both rings stay alike).
std::unique_ptr<uint8_t[]> decode(int method, const uint8_t* payload, size_t length, size_t outSize) {
  std::unique_ptr<uint8_t[]> out(new uint8_t[outSize]);
  std::unique_ptr<uint8_t[]> expected(new uint8_t[outSize]);
  std::memset(out.get(), 0xCD, outSize);
  std::memset(expected.get(), 0xCD, outSize);
  if (!kDecoders[method](payload, static_cast<uint32_t>(length), out.get(), static_cast<uint32_t>(outSize))) {
    __builtin_trap();
  }
  kReferences[method](payload, length, expected.get(), outSize);
  if (std::memcmp(out.get(), expected.get(), outSize) != 0) __builtin_trap();
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t outSize = readLe16(data) & 0x3FFF;
  const size_t length = size - 2;
  std::unique_ptr<uint8_t[]> payload(new uint8_t[length]);
  if (length > 0) std::memcpy(payload.get(), data + 2, length);
  for (int method = 0; method <= 2; ++method) {
    decode(method, payload.get(), length, outSize);
    const std::vector<uint8_t> coded = encodePayload(method, payload.get(), length);
    const auto codes = decode(method, coded.data(), coded.size(), length);
    if (length > 0 && std::memcmp(codes.get(), payload.get(), length) != 0) __builtin_trap();
  }
  return 0;
}
