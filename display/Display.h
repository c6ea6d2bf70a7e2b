#pragma once

#include <cstdint>

// Only pointers to these platform types are held here, so code that draws into the back buffer
// never needs the platform headers. They match the SDK's own declarations.
struct HWND__;
struct IDirectDraw7;
struct IDirectDrawSurface7;

// The engine's output device: an 8-bit back buffer in system memory, expanded once per frame
// into a 16-bit DirectDraw surface and flipped (full screen) or blitted into the window.
class Display {
public:
  Display();
  virtual ~Display();

  bool createDirectDraw();
  bool initWindowed(HWND__* window, int32_t width, int32_t height);
  bool initFullScreen(HWND__* window, int32_t width, int32_t height);
  void releaseSurfaces();
  void restoreSurfaces();
  void clearScreen();
  // Status text straight onto the screen through GDI; colour is a GDI COLORREF.
  void drawText(int32_t x, int32_t y, uint32_t colour, int32_t maxBytesPerLine, const char* format, ...);
  void present();

  IDirectDraw7* directDraw = nullptr;
  IDirectDrawSurface7* primarySurface = nullptr;
  IDirectDrawSurface7* backSurface = nullptr;
  HWND__* window = nullptr;
  int32_t fullScreen = 0;
  int16_t desktopBitsPerPixel = 0;
  int16_t bitsPerPixel = 0;
  int32_t width = 0;   // pixels; also the back buffer's row stride in bytes
  int32_t height = 0;  // rows
  int32_t bufferSize = 0;
  uint8_t* buffer = nullptr;  // height rows of width colour codes
  int32_t framesPerSecond = 0;
  bool fastExpand = true;
  bool videoMemoryFlip = true;
  uint16_t expandTable[256];
};

extern Display theDisplay;

// The frequency of the high-resolution counter.
int64_t queryTimerFrequency();
