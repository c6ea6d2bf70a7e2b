#include "platform/gbk/GbkCodec.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace {

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

// glibc knows code page 936 as "GBK"; some other C libraries only as "CP936".
void* openDescriptor(const char* to, const char* from) {
  iconv_t descriptor = iconv_open(to, from);
  if (descriptor == kNoDescriptor) {
    const char* to936 = std::strcmp(to, "GBK") == 0 ? "CP936" : to;
    const char* from936 = std::strcmp(from, "GBK") == 0 ? "CP936" : from;
    descriptor = iconv_open(to936, from936);
  }
  return descriptor == kNoDescriptor ? nullptr : descriptor;
}

// Without a converter only ASCII is trustworthy; everything else becomes '?'.
std::string asciiOnly(const char* text) {
  std::string out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
    out += *p < 0x80 ? static_cast<char>(*p) : '?';
  }
  return out;
}

}  // namespace

GbkCodec::GbkCodec()
    : toUtf8Descriptor(openDescriptor("UTF-8", "GBK")),
      fromUtf8Descriptor(openDescriptor("GBK", "UTF-8")),
      toCodePointDescriptor(openDescriptor("UTF-32LE", "GBK")) {}

GbkCodec::~GbkCodec() {
  for (void* descriptor : {toUtf8Descriptor, fromUtf8Descriptor, toCodePointDescriptor}) {
    if (descriptor != nullptr) iconv_close(static_cast<iconv_t>(descriptor));
  }
}

bool GbkCodec::available() const {
  return toUtf8Descriptor != nullptr && fromUtf8Descriptor != nullptr;
}

std::string GbkCodec::toUtf8(const char* gbk) const {
  if (gbk == nullptr) return std::string();
  if (toUtf8Descriptor == nullptr) return asciiOnly(gbk);
  return convert(toUtf8Descriptor, gbk, false);
}

std::string GbkCodec::fromUtf8(const char* utf8) const {
  if (utf8 == nullptr) return std::string();
  if (fromUtf8Descriptor == nullptr) return asciiOnly(utf8);
  return convert(fromUtf8Descriptor, utf8, true);
}

bool GbkCodec::toCodePoint(uint8_t lead, uint8_t trail, uint32_t& codePoint) const {
  if (toCodePointDescriptor == nullptr) return false;
  iconv_t cd = static_cast<iconv_t>(toCodePointDescriptor);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state after any error
  char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  unsigned char out[8] = {};
  char* inPointer = in;
  char* outPointer = reinterpret_cast<char*>(out);
  size_t inLeft = sizeof in;
  size_t outLeft = sizeof out;
  // A valid pair is consumed whole and yields one code point; two single-byte characters yield
  // two and are not a two-byte character.
  if (iconv(cd, &inPointer, &inLeft, &outPointer, &outLeft) == static_cast<size_t>(-1) || inLeft != 0 ||
      sizeof out - outLeft != 4) {
    return false;
  }
  codePoint = static_cast<uint32_t>(out[0]) | (static_cast<uint32_t>(out[1]) << 8) |
              (static_cast<uint32_t>(out[2]) << 16) | (static_cast<uint32_t>(out[3]) << 24);
  return true;
}

std::string GbkCodec::convert(void* descriptor, const char* text, bool sourceIsUtf8) const {
  iconv_t cd = static_cast<iconv_t>(descriptor);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial shift state

  std::string out;
  char* in = const_cast<char*>(text);  // iconv's prototype is not const-correct
  size_t inLeft = std::strlen(text);
  char chunk[256];
  while (inLeft > 0) {
    char* dst = chunk;
    size_t dstLeft = sizeof chunk;
    size_t result = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    out.append(chunk, sizeof chunk - dstLeft);
    if (result != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;  // the chunk is full: flush it and go on
    // EILSEQ (not valid in the source code page or no form in the target) or EINVAL (cut short
    // at the end): show one '?' for the offending character and carry on after it. A UTF-8
    // character is skipped with its continuation bytes, so one emoji gives one '?', not four.
    out += '?';
    ++in;
    --inLeft;
    while (sourceIsUtf8 && inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80) {
      ++in;
      --inLeft;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  char* dst = chunk;
  size_t dstLeft = sizeof chunk;
  iconv(cd, nullptr, nullptr, &dst, &dstLeft);
  out.append(chunk, sizeof chunk - dstLeft);
  return out;
}
