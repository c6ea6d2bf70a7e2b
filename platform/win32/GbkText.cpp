// The layer's MessageBoxA and TextOutA read GBK themselves, so the texts go to them unchanged.
#include "platform/gbk/GbkText.h"

int gbkMessageBox(HWND owner, const char* text, const char* caption, UINT style) {
  return MessageBoxA(owner, text, caption, style);
}

BOOL gbkTextOut(HDC dc, int x, int y, const char* text, int length) {
  return TextOutA(dc, x, y, text, length);
}
