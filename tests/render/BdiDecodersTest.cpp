// The BDI payload decoders: the documented examples (0-length runs, overlapping references,
// references into the space-filled ring), payloads cut short, output cut at the block's end, and
// random payloads against byte-by-byte references.
#include "render/BdiDecoders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Decoder = bool (*)(const uint8_t*, uint32_t, uint8_t*, uint32_t);

constexpr uint8_t kCanary = 0xCD;
// Follows the payload in memory: a decoder that reads past the payload decodes these bytes
// (a run packet for RLE, a group of literals for LZSS), which shows in the output.
constexpr uint8_t kPastPayload = 0x81;

// Decodes into a block of outSize bytes (filled with fill) followed by canaries; fails the test
// if a canary changed. Returns the block.
Bytes decode(Decoder decoder, const Bytes& payload, uint32_t outSize, uint8_t fill = kCanary) {
  Bytes in(payload);
  in.resize(payload.size() + 32, kPastPayload);
  Bytes out(outSize + 64, kCanary);
  std::fill(out.begin(), out.begin() + outSize, fill);
  EXPECT_TRUE(decoder(in.data(), static_cast<uint32_t>(payload.size()), out.data(), outSize));
  EXPECT_EQ(Bytes(out.begin() + outSize, out.end()), Bytes(64, kCanary)) << "written past the block";
  out.resize(outSize);
  return out;
}

struct Example {
  Bytes payload;
  uint32_t outSize;
  Bytes expected;  // the block filled with 0 before decoding
};

void expectExamples(Decoder decoder, const std::vector<Example>& examples) {
  for (size_t i = 0; i < examples.size(); ++i) {
    EXPECT_EQ(decode(decoder, examples[i].payload, examples[i].outSize, 0), examples[i].expected) << "example " << i;
  }
}

TEST(CopyRaw, CopiesWhatBothThePayloadAndTheBlockHold) {
  expectExamples(copyRaw, {{{1, 2, 3, 4}, 4, {1, 2, 3, 4}},
                           {{1, 2}, 4, {1, 2, 0, 0}},
                           {{}, 3, {0, 0, 0}},
                           {{1, 2, 3, 4, 5, 6}, 3, {1, 2, 3}},
                           {{1, 2, 3}, 0, {}}});
}

TEST(DecodeRle, Examples) {
  expectExamples(decodeRle, {{{0x83, 0x05, 0x02, 0x07, 0x08}, 5, {5, 5, 5, 7, 8}},
                             {{0x80, 0x11, 0x01, 0x22}, 2, {0x22, 0}},     // 0-length run takes its value
                             {{0x00, 0x00, 0x82, 0x33}, 2, {0x33, 0x33}},  // 0-length literal packet
                             {{0x01, 0x09, 0x85}, 4, {9, 0, 0, 0}},        // run without its value
                             {{0x05, 0x01, 0x02}, 5, {1, 2, 0, 0, 0}},     // literals cut short
                             {{0x8A, 0x66, 0x82, 0x77}, 4, {0x66, 0x66, 0x66, 0x66}},
                             {{0x01, 0x10, 0x0A, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 4, {0x10, 1, 2, 3}},
                             {{0x85, 0x66}, 0, {}}});
}

Bytes text(const std::string& characters) {
  return Bytes(characters.begin(), characters.end());
}

TEST(DecodeLzss, Examples) {
  expectExamples(decodeLzss,
                 {{{0x00, 0x00, 0x00}, 3, text("   ")},                  // into the space-filled ring
                  {{0x00, 0x34, 0x1F}, 18, text(std::string(18, ' '))},  // position 0x134, 18 bytes
                  {{0x01, 0x41, 0xEE, 0xF0}, 4, text("AAAA")},           // overlapping reference
                  {{0x07, 'x', 'y', 'z', 0xEE, 0xF7}, 13, text("xyzxyzxyzxyzx")},
                  // Flag bits low bit first, eight items a flag byte.
                  {{0x05, 'a', 0, 0, 'b', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 'c'}, 21, text("a   b               c")},
                  {{0x01}, 4, {0, 0, 0, 0}},               // flag byte only
                  {{0x01, 'a', 0x00}, 4, {'a', 0, 0, 0}},  // half a reference
                  {{0x03, 'a'}, 4, {'a', 0, 0, 0}},        // literal missing
                  {{0x00, 0x00}, 3, {0, 0, 0}},
                  {{0x00, 0x00, 0x0F}, 5, text("     ")},  // output cut at the block's end
                  {{0x03, 'a', 'b', 'c'}, 1, text("a")},
                  {{0x01, 'a', 0xEE, 0xFF}, 0, {}}});
}

TEST(DecodeLzss, LastEighteenRingBytesOutliveTheDecode) {
  // Eighteen literals land in ring positions 4078..4095, which the next decode does not refill.
  decode(decodeLzss,
         text("\xFF"
              "ABCDEFGH"
              "\xFF"
              "IJKLMNOP"
              "\x03"
              "QR"),
         18);
  EXPECT_EQ(decode(decodeLzss, {0x00, 0xEE, 0xF1}, 4), text("ABCD"));
}

// ---- random payloads against references that decode one byte at a time, checking every access ----

size_t referenceRle(const Bytes& in, Bytes& out) {
  size_t i = 0, o = 0;
  while (i < in.size()) {
    const uint8_t c = in[i++];
    const int n = c & 0x7F;
    if ((c & 0x80) && i >= in.size()) break;
    const uint8_t v = (c & 0x80) ? in[i++] : 0;
    for (int k = 0; k < n; ++k) {
      if (o >= out.size() || (!(c & 0x80) && i >= in.size())) return o;
      out[o++] = (c & 0x80) ? v : in[i++];
    }
  }
  return o;
}

struct ReferenceLzss {
  uint8_t ring[4096] = {};
  void decode(const Bytes& in, Bytes& out) {
    std::memset(ring, ' ', 4078);
    unsigned r = 4078, flags = 0;
    size_t i = 0, o = 0;
    while (i < in.size()) {
      flags >>= 1;
      if ((flags & 0x100) == 0) {
        flags = in[i++] | 0xFF00u;
        if (i >= in.size()) break;
      }
      if (flags & 1) {
        if (o >= out.size()) break;
        out[o++] = ring[r] = in[i++];
        r = (r + 1) & 0xFFF;
      } else {
        if (i + 2 > in.size()) break;
        const unsigned p = in[i] | ((in[i + 1] & 0xF0u) << 4);
        const unsigned len = (in[i + 1] & 0x0Fu) + 3;
        i += 2;
        for (unsigned k = 0; k < len; ++k, r = (r + 1) & 0xFFF) {
          if (o >= out.size()) return;
          out[o++] = ring[r] = ring[(p + k) & 0xFFF];
        }
      }
    }
  }
};

TEST(DecodeRle, MatchesByteByByteDecodingOnRandomPayloads) {
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    Bytes payload(rng() % 400);
    for (uint8_t& b : payload) b = static_cast<uint8_t>(rng());
    Bytes expected(rng() % 3000, kCanary);
    referenceRle(payload, expected);
    ASSERT_EQ(decode(decodeRle, payload, static_cast<uint32_t>(expected.size())), expected) << "round " << round;
  }
}

// Streams whose references lie at chosen distances behind the write position, so that copies
// overlap, reach back into the space-filled ring and the previous decode's tail, and wrap.
Bytes structuredLzss(std::mt19937& rng, size_t items) {
  Bytes payload;
  unsigned r = 4078;
  for (size_t item = 0; item < items; item += 8) {
    const uint8_t flags = static_cast<uint8_t>(rng());
    payload.push_back(flags);
    for (int bit = 0; bit < 8; ++bit) {
      if (flags & (1 << bit)) {
        payload.push_back(static_cast<uint8_t>(rng() % 4));
        r = (r + 1) & 0xFFF;
        continue;
      }
      const unsigned distances[] = {1, 2, 3, 5, 17, 18, 19, 100, 4095, 4096};
      const unsigned distance = rng() % 3 == 0 ? 1 + rng() % 4096 : distances[rng() % 10];
      const unsigned p = (r - distance) & 0xFFF;
      const unsigned len = 3 + rng() % 16;
      payload.push_back(static_cast<uint8_t>(p & 0xFF));
      payload.push_back(static_cast<uint8_t>(((p >> 4) & 0xF0) | (len - 3)));
      r = (r + len) & 0xFFF;
    }
  }
  return payload;
}

TEST(DecodeLzss, MatchesByteByByteDecoding) {
  // Both rings are brought to the same state first; from then on each round starts from the
  // tail the previous round left.
  ReferenceLzss reference;
  Bytes prime(18, kCanary);
  const Bytes literals = {0xFF, 1, 2, 3, 4, 5, 6, 7, 8, 0xFF, 9, 10, 11, 12, 13, 14, 15, 16, 0x03, 17, 18};
  reference.decode(literals, prime);
  decode(decodeLzss, literals, 18);
  std::mt19937 rng(11);
  for (int round = 0; round < 600; ++round) {
    Bytes payload;
    if (round % 2 == 0) {
      payload = structuredLzss(rng, rng() % 3000);
    } else {
      payload.resize(rng() % 600);
      for (uint8_t& b : payload) b = static_cast<uint8_t>(rng());
    }
    if (!payload.empty() && rng() % 4 == 0) payload.resize(rng() % payload.size());
    Bytes expected(rng() % 4 == 0 ? rng() % 200 : rng() % 40000, kCanary);
    reference.decode(payload, expected);
    ASSERT_EQ(decode(decodeLzss, payload, static_cast<uint32_t>(expected.size())), expected) << "round " << round;
  }
}

}  // namespace
