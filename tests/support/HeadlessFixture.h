// Shared by the tests (and benchmarks) that run on the platform layer: a shown window whose
// procedure records what reaches it, the demo loop's way of taking messages, a zeroed surface
// description and the picture last presented.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstring>
#include <utility>
#include <vector>

#include "platform/headless/HeadlessControl.h"
#include "platform/win32/LayerControl.h"

namespace headlesstest {

inline LRESULT CALLBACK plainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

struct Seen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
// The input, timer, close and destroy messages that reached recordingProc.
inline std::vector<Seen> seen;

// Records into seen; the window's destruction quits with 7.
inline LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN || message == WM_CHAR || message == WM_TIMER || message == WM_CLOSE ||
      message == WM_DESTROY || (message >= WM_MOUSEMOVE && message <= WM_MBUTTONUP)) {
    seen.push_back(Seen{message, wParam, lParam});
  }
  if (message == WM_DESTROY) PostQuitMessage(7);
  return DefWindowProcA(window, message, wParam, lParam);
}

// The messages seen, as (message, wParam) pairs.
using Pairs = std::vector<std::pair<UINT, WPARAM>>;
inline Pairs seenPairs() {
  Pairs out;
  for (const Seen& one : seen) out.emplace_back(one.message, one.wParam);
  return out;
}

// Opens a shown pop-up window of class `name` with that procedure at (x, y), seen emptied;
// nullptr when the class or the window could not be made. The platform stays as it is.
inline HWND openWindow(const char* name, int x, int y, int width, int height, WNDPROC procedure = plainWindowProc) {
  seen.clear();
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.lpszClassName = name;
  if (RegisterClassA(&windowClass) == 0) return nullptr;
  HWND window = CreateWindowExA(0, name, name, WS_POPUP, x, y, width, height, nullptr, nullptr, nullptr, nullptr);
  if (window != nullptr) ShowWindow(window, SW_SHOW);
  return window;
}

// The same on a fresh platform.
inline HWND freshWindow(const char* name, int x, int y, int width, int height, WNDPROC procedure = plainWindowProc) {
  layer::reset();
  return openWindow(name, x, y, width, height, procedure);
}

// Takes every message there is now as the demo's loop does, up to the quit; returns their
// identifiers.
inline std::vector<UINT> drain() {
  std::vector<UINT> taken;
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    taken.push_back(message.message);
    if (message.message == WM_QUIT) break;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return taken;
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
