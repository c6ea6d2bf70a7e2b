// wvsprintfA and wsprintfA: Windows' own small printf, with its 1024-byte limit. Its 'l' size
// prefix means 32 bits (a Windows long), so the arguments are read as int whatever the prefix,
// except "I64", which reads 64 bits.
#include <windows.h>

#include <cstring>

namespace {

constexpr int kLimit = 1024;  // bytes written at most, the terminating zero included

class Output {
public:
  explicit Output(char* buffer) : buffer_(buffer) {}
  void put(char c) {
    if (length_ < kLimit - 1) buffer_[length_++] = c;
  }
  void repeat(char c, int count) {
    for (int i = 0; i < count; ++i) put(c);
  }
  int finish() {
    buffer_[length_] = '\0';
    return length_;
  }

private:
  char* buffer_;
  int length_ = 0;
};

struct Conversion {
  bool left = false;
  bool zero = false;
  bool alternate = false;
  int width = 0;
  int precision = -1;
  bool wide = false;  // I64
};

void emit(Output& out, const Conversion& conversion, const char* prefix, const char* body, int bodyLength) {
  int prefixLength = static_cast<int>(std::strlen(prefix));
  int pad = conversion.width - prefixLength - bodyLength;
  if (pad < 0) pad = 0;
  if (!conversion.left && !conversion.zero) out.repeat(' ', pad);
  for (int i = 0; i < prefixLength; ++i) out.put(prefix[i]);
  if (!conversion.left && conversion.zero) out.repeat('0', pad);
  for (int i = 0; i < bodyLength; ++i) out.put(body[i]);
  if (conversion.left) out.repeat(' ', pad);
}

void emitNumber(Output& out, const Conversion& conversion, unsigned long long value, bool negative, unsigned base,
                bool upper) {
  char digits[32];
  int count = 0;
  const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  do {
    digits[count++] = set[value % base];
    value /= base;
  } while (value != 0);
  char body[64];
  int length = 0;
  for (int i = count; i < conversion.precision && length < 40; ++i) body[length++] = '0';
  while (count > 0) body[length++] = digits[--count];
  const char* prefix = negative ? "-" : "";
  if (conversion.alternate && base == 16) prefix = upper ? "0X" : "0x";
  emit(out, conversion, prefix, body, length);
}

}  // namespace

int WINAPI wvsprintfA(LPSTR lpOutput, LPCSTR lpFmt, va_list arglist) {
  if (!lpOutput) return -1;
  Output out(lpOutput);
  if (!lpFmt) return out.finish();
  va_list args;
  va_copy(args, arglist);
  for (const char* p = lpFmt; *p; ++p) {
    if (*p != '%') {
      out.put(*p);
      continue;
    }
    ++p;
    Conversion conversion;
    for (;; ++p) {
      if (*p == '-')
        conversion.left = true;
      else if (*p == '0')
        conversion.zero = true;
      else if (*p == '#')
        conversion.alternate = true;
      else
        break;
    }
    while (*p >= '0' && *p <= '9') conversion.width = conversion.width * 10 + (*p++ - '0');
    if (*p == '.') {
      conversion.precision = 0;
      ++p;
      while (*p >= '0' && *p <= '9') conversion.precision = conversion.precision * 10 + (*p++ - '0');
    }
    if (*p == 'l' || *p == 'h') {
      ++p;
    } else if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
      conversion.wide = true;
      p += 3;
    }
    switch (*p) {
      case 'd':
      case 'i': {
        long long value = conversion.wide ? va_arg(args, long long) : va_arg(args, int);
        unsigned long long magnitude =
            value < 0 ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
        emitNumber(out, conversion, magnitude, value < 0, 10, false);
        break;
      }
      case 'u':
        emitNumber(out, conversion, conversion.wide ? va_arg(args, unsigned long long) : va_arg(args, unsigned), false,
                   10, false);
        break;
      case 'x':
      case 'X':
        emitNumber(out, conversion, conversion.wide ? va_arg(args, unsigned long long) : va_arg(args, unsigned), false,
                   16, *p == 'X');
        break;
      case 'p': {
        Conversion pointer = conversion;
        pointer.zero = true;
        pointer.width = 2 * static_cast<int>(sizeof(void*));
        emitNumber(out, pointer, reinterpret_cast<uintptr_t>(va_arg(args, void*)), false, 16, true);
        break;
      }
      case 'c':
      case 'C': {
        char c = static_cast<char>(va_arg(args, int));
        emit(out, conversion, "", &c, 1);
        break;
      }
      case 's':
      case 'S': {
        const char* text = va_arg(args, const char*);
        if (!text) text = "(null)";
        int length = static_cast<int>(std::strlen(text));
        if (conversion.precision >= 0 && conversion.precision < length) length = conversion.precision;
        emit(out, conversion, "", text, length);
        break;
      }
      case '\0':
        --p;  // a lone '%' at the end prints nothing
        break;
      default:
        out.put(*p);  // "%%" and unknown conversions print the character
        break;
    }
  }
  va_end(args);
  return out.finish();
}

int WINAPIV wsprintfA(LPSTR lpOutput, LPCSTR lpFmt, ...) {
  va_list args;
  va_start(args, lpFmt);
  int length = wvsprintfA(lpOutput, lpFmt, args);
  va_end(args);
  return length;
}
