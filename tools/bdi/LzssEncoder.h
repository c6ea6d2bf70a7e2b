#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// LZSS coder for BDI method 2, the exact inverse of the engine's decodeLzss.
//
// The decoder keeps a 4096-byte ring: positions 0..4077 are filled with spaces at the start of
// every decode, positions 4078..4095 keep whatever the previous decode left there, and output
// byte i is stored at position (4078 + i) & 0xFFF. Items come in groups of eight behind a flag
// byte read from bit 0 up (1: one literal byte; 0: a two-byte reference of a 12-bit ring position
// and a length of 3..18 copied one byte at a time, so a reference may overlap its own output).
//
// The coder searches the stream as it will sit in the ring: 4078 spaces followed by the data, so
// a match may start in the spaces but never in the 18 tail positions before this stream wrote
// them. Matches are found through hash chains of three-byte prefixes, with one step of lazy
// evaluation (a literal is preferred when the next position has a longer match).
class LzssEncoder {
public:
  static constexpr int kRingSize = 4096;
  static constexpr int kMinLength = 3;
  static constexpr int kMaxLength = 18;
  static constexpr int kRingStart = kRingSize - kMaxLength;  // 4078: first write position

  // maxChain bounds the candidates tried per position (speed against ratio).
  explicit LzssEncoder(int maxChain = 512) : maxChain_(maxChain) {}

  std::vector<uint8_t> encode(const uint8_t* data, size_t size);

private:
  struct Match {
    int length = 0;
    size_t source = 0;  // index into the searched stream
  };

  void insert(size_t pos);
  Match findMatch(size_t pos) const;

  int maxChain_;
  std::vector<uint8_t> stream_;  // kRingStart spaces, then the data
  std::vector<int32_t> head_;    // latest position of each hash, -1 for none
  std::vector<int32_t> prev_;    // previous position with the same hash
};
