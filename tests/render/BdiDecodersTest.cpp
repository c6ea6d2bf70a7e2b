// The BDI payload decoders: the documented examples (0-length runs, overlapping references,
// references into the space-filled ring), payloads cut short and output cut at the block's end.
// Arbitrary payloads against byte-by-byte decoding, copyRaw's among them, are the decoders fuzz
// target's, whose replay runs with the tests.
#include "render/BdiDecoders.h"

#include <gtest/gtest.h>

#include <cstring>
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

}  // namespace
