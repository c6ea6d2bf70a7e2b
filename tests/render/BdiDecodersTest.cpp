#include "render/BdiDecoders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kCanary = 0xCD;
constexpr size_t kSlack = 64;

// Runs a decoder on an exact-size copy of the payload into an output block of outSize bytes
// followed by canary bytes; fails the test if any canary changed. Returns the whole block.
template <typename Decoder>
Bytes decode(Decoder decoder, const Bytes& payload, uint32_t outSize, uint8_t fill = kCanary) {
  Bytes in(payload);
  Bytes out(outSize + kSlack, fill);
  std::fill(out.begin() + outSize, out.end(), kCanary);
  EXPECT_TRUE(decoder(in.empty() ? nullptr : in.data(), static_cast<uint32_t>(in.size()),
                      out.data(), outSize));
  for (size_t i = outSize; i < out.size(); ++i) {
    EXPECT_EQ(out[i], kCanary) << "written past the output at " << i;
    if (out[i] != kCanary) break;
  }
  out.resize(outSize);
  return out;
}

Bytes rle(const Bytes& payload, uint32_t outSize, uint8_t fill = kCanary) {
  return decode(decodeRle, payload, outSize, fill);
}
Bytes lzss(const Bytes& payload, uint32_t outSize, uint8_t fill = kCanary) {
  return decode(decodeLzss, payload, outSize, fill);
}

// ---- References: the codings decoded one byte at a time, every read and write checked. ----

size_t referenceRle(const Bytes& in, Bytes& out) {
  size_t i = 0, o = 0;
  while (i < in.size()) {
    const uint8_t c = in[i++];
    const int n = c & 0x7F;
    if (c & 0x80) {
      if (i >= in.size()) break;
      const uint8_t v = in[i++];
      for (int k = 0; k < n; ++k) {
        if (o >= out.size()) return o;
        out[o++] = v;
      }
    } else {
      for (int k = 0; k < n; ++k) {
        if (i >= in.size() || o >= out.size()) return o;
        out[o++] = in[i++];
      }
    }
  }
  return o;
}

struct ReferenceLzss {
  uint8_t ring[4096] = {};
  size_t decode(const Bytes& in, Bytes& out) {
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
        for (unsigned k = 0; k < len; ++k) {
          if (o >= out.size()) return o;
          out[o++] = ring[r] = ring[(p + k) & 0xFFF];
          r = (r + 1) & 0xFFF;
        }
      }
    }
    return o;
  }
};

// Eighteen literals "ABCDEFGHIJKLMNOPQR": they land in ring positions 4078..4095, the part of the
// ring that the next decode keeps.
const Bytes kEighteenLiterals = {0xFF, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H',
                                 0xFF, 'I', 'J', 'K', 'L', 'M', 'N', 'O', 'P',
                                 0x03, 'Q', 'R'};

// ---- copyRaw ----

TEST(CopyRaw, CopiesThePayload) {
  EXPECT_EQ(decode(copyRaw, {1, 2, 3, 4}, 4), (Bytes{1, 2, 3, 4}));
}

TEST(CopyRaw, ShortPayloadLeavesTheRestOfTheBlock) {
  EXPECT_EQ(decode(copyRaw, {1, 2}, 4, 0x77), (Bytes{1, 2, 0x77, 0x77}));
  EXPECT_EQ(decode(copyRaw, {}, 3, 0x77), (Bytes{0x77, 0x77, 0x77}));
}

TEST(CopyRaw, LongPayloadIsCutAtTheBlock) {
  EXPECT_EQ(decode(copyRaw, {1, 2, 3, 4, 5, 6}, 3), (Bytes{1, 2, 3}));
  EXPECT_EQ(decode(copyRaw, {1, 2, 3}, 0), Bytes{});
}

// ---- decodeRle ----

TEST(DecodeRle, RunThenLiterals) {
  EXPECT_EQ(rle({0x83, 0x05, 0x02, 0x07, 0x08}, 5), (Bytes{5, 5, 5, 7, 8}));
}

TEST(DecodeRle, ZeroLengthRunConsumesItsValueByte) {
  EXPECT_EQ(rle({0x80, 0x11, 0x01, 0x22}, 2, 0), (Bytes{0x22, 0}));
}

TEST(DecodeRle, ZeroLengthLiteralPacketTakesOneByte) {
  EXPECT_EQ(rle({0x00, 0x00, 0x82, 0x33}, 2), (Bytes{0x33, 0x33}));
}

TEST(DecodeRle, LongestRunAndLiteralPackets) {
  Bytes payload = {0xFF, 0x44, 0x7F};
  for (int i = 0; i < 127; ++i) payload.push_back(static_cast<uint8_t>(i));
  const Bytes out = rle(payload, 254);
  for (int i = 0; i < 127; ++i) {
    ASSERT_EQ(out[i], 0x44);
    ASSERT_EQ(out[127 + i], i);
  }
}

TEST(DecodeRle, PacketsOfEveryLengthWriteExactlyThatMany) {
  for (int n = 0; n < 128; ++n) {
    const Bytes run = rle({static_cast<uint8_t>(0x80 | n), 0x5A}, 130, 0);
    for (int i = 0; i < 130; ++i) ASSERT_EQ(run[i], i < n ? 0x5A : 0) << n << " " << i;
    Bytes literal = {static_cast<uint8_t>(n)};
    for (int i = 0; i < n; ++i) literal.push_back(static_cast<uint8_t>(i + 1));
    const Bytes copied = rle(literal, 130, 0);
    for (int i = 0; i < 130; ++i) ASSERT_EQ(copied[i], i < n ? i + 1 : 0) << n << " " << i;
  }
}

TEST(DecodeRle, RunCutOffByThePayloadEndWritesNothing) {
  EXPECT_EQ(rle({0x01, 0x09, 0x85}, 4, 0), (Bytes{9, 0, 0, 0}));
}

TEST(DecodeRle, LiteralsCutOffByThePayloadEndStopThere) {
  // Only the payload's own bytes are used, never what follows it in memory.
  const Bytes memory = {0x05, 0x01, 0x02, 0x03, 0x04, 0x05};
  Bytes out(5, 0);
  EXPECT_TRUE(decodeRle(memory.data(), 3, out.data(), 5));
  EXPECT_EQ(out, (Bytes{1, 2, 0, 0, 0}));
}

TEST(DecodeRle, OutputIsCutAtTheBlockEnd) {
  EXPECT_EQ(rle({0x8A, 0x66, 0x82, 0x77}, 4), (Bytes{0x66, 0x66, 0x66, 0x66}));
  EXPECT_EQ(rle({0x01, 0x10, 0x0A, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 4), (Bytes{0x10, 1, 2, 3}));
  EXPECT_EQ(rle({0x85, 0x66}, 0), Bytes{});
}

TEST(DecodeRle, MatchesByteByByteDecodingOnRandomPayloads) {
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    Bytes payload(rng() % 400);
    for (uint8_t& b : payload) b = static_cast<uint8_t>(rng());
    const uint32_t outSize = rng() % 3000;
    Bytes expected(outSize, kCanary);
    referenceRle(payload, expected);
    ASSERT_EQ(rle(payload, outSize), expected) << "round " << round;
  }
}

// ---- decodeLzss ----

TEST(DecodeLzss, ReferenceIntoTheSpaceFilledRing) {
  EXPECT_EQ(lzss({0x00, 0x00, 0x00}, 3), (Bytes{' ', ' ', ' '}));
  EXPECT_EQ(lzss({0x00, 0x34, 0x1F}, 18), Bytes(18, ' '));  // position 0x134, 18 bytes
}

TEST(DecodeLzss, OverlappingReferenceRepeatsTheLiteral) {
  EXPECT_EQ(lzss({0x01, 0x41, 0xEE, 0xF0}, 4), (Bytes{0x41, 0x41, 0x41, 0x41}));
}

TEST(DecodeLzss, OverlappingReferenceRepeatsAPattern) {
  // Literals "xyz", then position 0xFEE (the 'x') with 10 bytes.
  EXPECT_EQ(lzss({0x07, 'x', 'y', 'z', 0xEE, 0xF7}, 13),
            (Bytes{'x', 'y', 'z', 'x', 'y', 'z', 'x', 'y', 'z', 'x', 'y', 'z', 'x'}));
}

TEST(DecodeLzss, FlagBitsAreTakenLowBitFirstForEightItems) {
  // 0x05: literal, reference, literal, then five references to spaces; the next flag byte 0x01
  // starts a new group with a literal.
  const Bytes payload = {0x05, 'a', 0x00, 0x00, 'b', 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                         0x00, 0x00, 0x00, 0x00, 0x01, 'c'};
  Bytes expected = {'a', ' ', ' ', ' ', 'b'};
  expected.insert(expected.end(), 15, ' ');
  expected.push_back('c');
  EXPECT_EQ(lzss(payload, 21), expected);
}

TEST(DecodeLzss, LastEighteenRingBytesOutliveTheDecode) {
  lzss(kEighteenLiterals, 18);
  const Bytes tail = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I',
                      'J', 'K', 'L', 'M', 'N', 'O', 'P', 'Q', 'R'};
  EXPECT_EQ(lzss({0x00, 0xEE, 0xFF}, 18), tail);
  // The reference above rewrote positions 4078..4095 with the same bytes.
  EXPECT_EQ(lzss({0x00, 0xFE, 0xF1}, 4), (Bytes{'Q', 'R', ' ', ' '}));
  // That decode left "QR  " in positions 4078..4081 and kept the rest.
  EXPECT_EQ(lzss({0x00, 0xEE, 0xF3}, 6), (Bytes{'Q', 'R', ' ', ' ', 'E', 'F'}));
}

TEST(DecodeLzss, RingKeepsOnlyWhatWasWritten) {
  lzss(kEighteenLiterals, 18);
  // Output cut after two literals: only positions 4078 and 4079 change.
  lzss({0xFF, 'x', 'y', 'z', 'w'}, 2);
  EXPECT_EQ(lzss({0x00, 0xEE, 0xF1}, 4), (Bytes{'x', 'y', 'C', 'D'}));
}

TEST(DecodeLzss, ItemsCutOffByThePayloadEndStopDecoding) {
  EXPECT_EQ(lzss({0x01}, 4, 0), (Bytes{0, 0, 0, 0}));              // flag byte only
  EXPECT_EQ(lzss({0x01, 'a', 0x00}, 4, 0), (Bytes{'a', 0, 0, 0}));  // half a reference
  EXPECT_EQ(lzss({0x03, 'a'}, 4, 0), (Bytes{'a', 0, 0, 0}));        // literal missing
  const Bytes memory = {0x00, 0x00, 0x00, 0x00};
  Bytes out(3, 0);
  EXPECT_TRUE(decodeLzss(memory.data(), 2, out.data(), 3));  // reference's second byte not ours
  EXPECT_EQ(out, (Bytes{0, 0, 0}));
}

TEST(DecodeLzss, OutputIsCutAtTheBlockEnd) {
  EXPECT_EQ(lzss({0x00, 0x00, 0x0F}, 5), Bytes(5, ' '));
  EXPECT_EQ(lzss({0x03, 'a', 'b', 'c'}, 1), (Bytes{'a'}));
  EXPECT_EQ(lzss({0x01, 'a', 0xEE, 0xFF}, 0), Bytes{});
}

// Streams whose references lie at chosen distances behind the write position, so that copies
// overlap, reach back into the space-filled ring and wrap around it.
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
      } else {
        const unsigned distances[] = {1, 2, 3, 5, 17, 18, 19, 100, 4095, 4096};
        const unsigned distance =
            rng() % 3 == 0 ? 1 + rng() % 4096 : distances[rng() % (sizeof distances / sizeof *distances)];
        const unsigned p = (r - distance) & 0xFFF;
        const unsigned len = 3 + rng() % 16;
        payload.push_back(static_cast<uint8_t>(p & 0xFF));
        payload.push_back(static_cast<uint8_t>(((p >> 4) & 0xF0) | (len - 3)));
        r = (r + len) & 0xFFF;
      }
    }
  }
  return payload;
}

TEST(DecodeLzss, MatchesByteByByteDecoding) {
  ReferenceLzss reference;
  // Bring both rings to the same state first.
  Bytes prime(18);
  reference.decode(kEighteenLiterals, prime);
  lzss(kEighteenLiterals, 18);

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
    const uint32_t outSize = rng() % 4 == 0 ? rng() % 200 : rng() % 40000;
    Bytes expected(outSize, kCanary);
    reference.decode(payload, expected);
    ASSERT_EQ(lzss(payload, outSize), expected) << "round " << round;
  }
}

}  // namespace
