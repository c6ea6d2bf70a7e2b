#pragma once

#include <vector>

#include <ddraw.h>

namespace platform {

class DirectDrawSurface;

// The DirectDraw object: cooperative level, display mode and the surfaces made through it.
class DirectDrawDevice final : public IDirectDraw7 {
public:
  HRESULT QueryInterface(REFIID riid, LPVOID* ppvObj) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT CreateClipper(DWORD dwFlags, LPDIRECTDRAWCLIPPER* lplpDDClipper, IUnknown* pUnkOuter) override;
  HRESULT CreateSurface(LPDDSURFACEDESC2 lpDDSurfaceDesc2, LPDIRECTDRAWSURFACE7* lplpDDSurface,
                        IUnknown* pUnkOuter) override;
  HRESULT RestoreDisplayMode() override;
  HRESULT SetCooperativeLevel(HWND hWnd, DWORD dwFlags) override;
  HRESULT SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBPP, DWORD dwRefreshRate, DWORD dwFlags) override;
  HRESULT WaitForVerticalBlank(DWORD dwFlags, HANDLE hEvent) override;

  void surfaceMade(DirectDrawSurface* surface);
  void surfaceGone(DirectDrawSurface* surface);

private:
  ~DirectDrawDevice() = default;
  HRESULT makeSurface(const DDSURFACEDESC2& desc, DirectDrawSurface*& made);

  ULONG references_ = 1;
  bool levelSet_ = false;
  bool exclusive_ = false;
  bool modeChanged_ = false;
  HWND window_ = nullptr;
  std::vector<DirectDrawSurface*> surfaces_;
  int offscreenCount_ = 0;
};

}  // namespace platform
