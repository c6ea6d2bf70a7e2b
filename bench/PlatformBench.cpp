// What the Win32 layer costs a windowed frame on the headless back end: locking the back surface,
// the blit into the client area (one to one, and stretched into a framed window's smaller client
// area), a colour fill and a short TextOutA.
#include <windows.h>
#include <ddraw.h>

#include <benchmark/benchmark.h>

#include <cstring>

#include "tests/support/HeadlessFixture.h"

namespace {

using headlesstest::emptyDesc;

// A windowed 640 x 480 display as the demo makes it.
struct Windowed {
  explicit Windowed(bool framed) {
    layer::reset();
    headless::setWindowFrame(framed);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = headlesstest::plainWindowProc;
    windowClass.lpszClassName = "bench";
    RegisterClassA(&windowClass);
    DWORD style = framed ? WS_SYSMENU | WS_MINIMIZEBOX : WS_POPUP;
    window = CreateWindowExA(0, "bench", "bench", style, 192, 144, 640, 480, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(window, SW_SHOW);
    DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr);
    directDraw->SetCooperativeLevel(window, DDSCL_NORMAL);
    DDSURFACEDESC2 desc = emptyDesc();
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    directDraw->CreateSurface(&desc, &primary, nullptr);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = 640;
    desc.dwHeight = 480;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY | DDSCAPS_3DDEVICE;
    directDraw->CreateSurface(&desc, &back, nullptr);
    LPDIRECTDRAWCLIPPER clipper = nullptr;
    directDraw->CreateClipper(0, &clipper, nullptr);
    clipper->SetHWnd(0, window);
    primary->SetClipper(clipper);
    clipper->Release();
  }
  ~Windowed() {
    back->Release();
    primary->Release();
    directDraw->Release();
  }
  // The present of one frame without the expansion: lock, unlock, blit into the client area.
  void present() {
    DDSURFACEDESC2 desc = emptyDesc();
    back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
    benchmark::DoNotOptimize(desc.lpSurface);
    back->Unlock(nullptr);
    RECT client;
    GetClientRect(window, &client);
    POINT topLeft{0, 0};
    POINT bottomRight{client.right, client.bottom};
    ClientToScreen(window, &topLeft);
    ClientToScreen(window, &bottomRight);
    RECT target{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    primary->Blt(&target, back, nullptr, DDBLT_WAIT, nullptr);
  }
  HWND window = nullptr;
  LPDIRECTDRAW7 directDraw = nullptr;
  LPDIRECTDRAWSURFACE7 primary = nullptr;
  LPDIRECTDRAWSURFACE7 back = nullptr;
};

void BM_PresentOneToOne(benchmark::State& state) {
  Windowed display(false);
  for (auto _ : state) display.present();
}
BENCHMARK(BM_PresentOneToOne);

void BM_PresentStretched(benchmark::State& state) {
  Windowed display(true);
  for (auto _ : state) display.present();
}
BENCHMARK(BM_PresentStretched);

void BM_ColourFillPrimary(benchmark::State& state) {
  Windowed display(false);
  DDBLTFX effects;
  std::memset(&effects, 0, sizeof effects);
  effects.dwSize = sizeof effects;
  for (auto _ : state) display.primary->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &effects);
}
BENCHMARK(BM_ColourFillPrimary);

void BM_TextOutShortLine(benchmark::State& state) {
  Windowed display(false);
  HDC dc = nullptr;
  display.back->GetDC(&dc);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 0));
  TextOutA(dc, 0, 0, "warm", 4);  // the font file is read on first use
  for (auto _ : state) TextOutA(dc, 560, 10, "FPS=60", 6);
  display.back->ReleaseDC(dc);
}
BENCHMARK(BM_TextOutShortLine);

}  // namespace
