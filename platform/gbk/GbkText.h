/// @file
/// The programs' texts are GBK (code page 936) bytes. These calls hand such a text to the system so
/// that it reads correctly whatever code page the system runs with: on Windows the text is
/// converted from code page 936 and given to the wide-character call (platform/windows/); on POSIX
/// systems the layer's own MessageBoxA and TextOutA take GBK as it is (platform/win32/).
#pragma once

#include <windows.h>

/// MessageBoxA with a GBK text and caption.
int gbkMessageBox(HWND owner, const char* text, const char* caption, UINT style);
/// TextOutA with `length` bytes of GBK text.
BOOL gbkTextOut(HDC dc, int x, int y, const char* text, int length);
