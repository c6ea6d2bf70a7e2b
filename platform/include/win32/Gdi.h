/// @file
/// gdi32: stock objects, device capabilities and text output, with the SDK's names, argument
/// orders, struct layout and constant values.
///
/// On POSIX systems (platform/win32/) a device context belongs either to a window (the desktop's
/// answers GetDeviceCaps with the desktop's colour depth) or to a DirectDraw surface
/// (IDirectDrawSurface7::GetDC), on which TextOutA draws GBK text with a 16 x 16 font: the
/// glyphs of GNU Unifont, 8 x 16 for single-byte characters and 16 x 16 for double-byte ones.
#pragma once

#include "win32/Types.h"

/// @{

/// COLORREF colours: red in the low byte, then green and blue; CLR_INVALID is a failed call's.
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(rgb) ((BYTE)(rgb))
#define GetGValue(rgb) ((BYTE)(((WORD)(rgb)) >> 8))
#define GetBValue(rgb) ((BYTE)((rgb) >> 16))
#define CLR_INVALID 0xFFFFFFFF
/// @}

/// @{

/// The stock objects of GetStockObject.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define DEFAULT_PALETTE 15
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17
/// @}

/// @{

/// The capabilities GetDeviceCaps reports.
#define DRIVERVERSION 0
#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMCOLORS 24
#define LOGPIXELSX 88
#define LOGPIXELSY 90
/// @}

/// @{

/// The background modes of SetBkMode.
#define TRANSPARENT 1
#define OPAQUE 2
/// @}

/// @{

/// A font's measurements, as GetTextMetricsA gives them.
typedef struct tagTEXTMETRICA {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
} TEXTMETRICA, *PTEXTMETRICA, *LPTEXTMETRICA;
/// @}

/// A stock brush, pen, font or palette.
HGDIOBJ WINAPI GetStockObject(int i);
/// One of a device context's capabilities (BITSPIXEL: its colour depth).
int WINAPI GetDeviceCaps(HDC hdc, int index);
/// Whether text is drawn over a filled background (OPAQUE) or not (TRANSPARENT); the previous mode.
int WINAPI SetBkMode(HDC hdc, int mode);
/// The colour of the text drawn from now on; the previous colour.
COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color);
/// The measurements of the device context's font.
BOOL WINAPI GetTextMetricsA(HDC hdc, LPTEXTMETRICA lptm);
/// Draws the first c bytes of lpString with the top-left corner at (x, y).
BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c);
