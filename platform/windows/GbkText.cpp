// On Windows the ANSI calls read text in the system's code page, which is 936 only on a Chinese
// system: the GBK texts are converted from code page 936 and shown through the wide calls.
#include "platform/gbk/GbkText.h"

#include <string>

namespace {

constexpr UINT kGbkCodePage = 936;

// `length` bytes of GBK (-1: up to the terminating zero) as UTF-16. A byte sequence that is not
// GBK becomes the system's replacement character rather than ending the text.
std::wstring wideOf(const char* text, int length) {
  if (text == nullptr) return std::wstring();
  const int units = MultiByteToWideChar(kGbkCodePage, 0, text, length, nullptr, 0);
  if (units <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(kGbkCodePage, 0, text, length, &wide[0], units);
  if (length < 0) wide.resize(wide.size() - 1);  // the terminating zero was converted too
  return wide;
}

}  // namespace

int gbkMessageBox(HWND owner, const char* text, const char* caption, UINT style) {
  const std::wstring wideText = wideOf(text, -1);
  const std::wstring wideCaption = wideOf(caption, -1);
  return MessageBoxW(owner, wideText.c_str(), caption ? wideCaption.c_str() : nullptr, style);
}

BOOL gbkTextOut(HDC dc, int x, int y, const char* text, int length) {
  if (length <= 0) return TextOutW(dc, x, y, L"", 0);
  const std::wstring wide = wideOf(text, length);
  return TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}
