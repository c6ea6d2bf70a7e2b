#pragma once

#include <windows.h>

namespace platform {

class DirectDrawSurface;

// A GDI device context: of a window (the desktop's included), or of a surface while its GetDC is
// out. An HDC is the address of its DeviceContext.
struct DeviceContext {
  HWND window = nullptr;
  DirectDrawSurface* surface = nullptr;
  int backgroundMode = OPAQUE;
  COLORREF textColour = 0x000000;
  COLORREF backgroundColour = 0xFFFFFF;
};

HDC createWindowDC(HWND window);
HDC createSurfaceDC(DirectDrawSurface* surface);
// The live context of a handle, or null.
DeviceContext* findDC(HDC handle);
void destroyDC(HDC handle);

}  // namespace platform
