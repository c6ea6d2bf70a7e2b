// Shared by the tests (and benchmarks) that run on the headless platform: a fresh platform with
// a shown window, a zeroed surface description and the picture last presented.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstring>
#include <vector>

#include "platform/headless/HeadlessControl.h"
#include "platform/win32/LayerControl.h"

namespace headlesstest {

inline LRESULT CALLBACK plainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// Resets the platform and opens a shown pop-up window of class `name` at (x, y); nullptr when
// the class or the window could not be made.
inline HWND freshWindow(const char* name, int x, int y, int width, int height) {
  layer::reset();
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = plainWindowProc;
  windowClass.lpszClassName = name;
  if (RegisterClassA(&windowClass) == 0) return nullptr;
  HWND window = CreateWindowExA(0, name, name, WS_POPUP, x, y, width, height, nullptr, nullptr, nullptr, nullptr);
  if (window != nullptr) ShowWindow(window, SW_SHOW);
  return window;
}

inline DDSURFACEDESC2 emptyDesc() {
  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  return desc;
}

// The picture last presented, without its size.
inline std::vector<uint16_t> presented() {
  int width = 0;
  int height = 0;
  return layer::presentedPicture(width, height);
}

}  // namespace headlesstest
