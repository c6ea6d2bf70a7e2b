#pragma once

#include <cstdint>

// Converts one two-byte GBK (code page 936) character to its Unicode code point through iconv.
class GbkDecoder {
public:
  GbkDecoder();
  ~GbkDecoder();
  GbkDecoder(const GbkDecoder&) = delete;
  GbkDecoder& operator=(const GbkDecoder&) = delete;

  bool ready() const { return ready_; }
  // True when lead and trail together form exactly one GBK character.
  bool toUnicode(uint8_t lead, uint8_t trail, uint32_t& codePoint);

private:
  void* handle_;  // iconv_t, kept out of the header
  bool ready_;
};
