#include "tools/fontbuilder/GbkDecoder.h"

#include <iconv.h>

namespace {

iconv_t openGbk() {
  // glibc knows the code page both as GBK and as CP936; the two agree on every two-byte pair.
  iconv_t handle = iconv_open("UTF-32LE", "GBK");
  if (handle == reinterpret_cast<iconv_t>(-1)) {
    handle = iconv_open("UTF-32LE", "CP936");
  }
  return handle;
}

}  // namespace

GbkDecoder::GbkDecoder() : handle_(openGbk()), ready_(handle_ != reinterpret_cast<void*>(-1)) {}

GbkDecoder::~GbkDecoder() {
  if (ready_) {
    iconv_close(static_cast<iconv_t>(handle_));
  }
}

bool GbkDecoder::toUnicode(uint8_t lead, uint8_t trail, uint32_t& codePoint) {
  if (!ready_) {
    return false;
  }
  iconv_t cd = static_cast<iconv_t>(handle_);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state after any error
  char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  unsigned char out[8] = {};
  char* inPtr = in;
  char* outPtr = reinterpret_cast<char*>(out);
  size_t inLeft = sizeof in;
  size_t outLeft = sizeof out;
  // A valid pair is consumed whole and yields one code point; two single-byte characters (such as
  // 0x80 0x41 in code page 936) yield two and are not a two-byte character.
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0 ||
      sizeof out - outLeft != 4) {
    return false;
  }
  codePoint = static_cast<uint32_t>(out[0]) | (static_cast<uint32_t>(out[1]) << 8) |
              (static_cast<uint32_t>(out[2]) << 16) | (static_cast<uint32_t>(out[3]) << 24);
  return true;
}
