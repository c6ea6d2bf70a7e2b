#pragma once

#include <memory>
#include <string>

#include <ddraw.h>

#include "platform/win32/PixelBlock.h"
#include "platform/win32/Screen.h"

namespace platform {

class DirectDrawDevice;
class DirectDrawClipper;

// A 16-bit RGB565 surface in memory: the primary surface (the screen), the front or back buffer of
// a full-screen flipping chain, or an off-screen plain surface.
class DirectDrawSurface final : public IDirectDrawSurface7 {
public:
  enum class Kind { Primary, FlipFront, BackBuffer, Offscreen };

  DirectDrawSurface(DirectDrawDevice* owner, Kind kind, std::shared_ptr<PixelBlock> pixels, DWORD caps,
                    std::string role);

  HRESULT QueryInterface(REFIID riid, LPVOID* ppvObj) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT Blt(LPRECT lpDestRect, LPDIRECTDRAWSURFACE7 lpDDSrcSurface, LPRECT lpSrcRect, DWORD dwFlags,
              LPDDBLTFX lpDDBltFx) override;
  HRESULT Flip(LPDIRECTDRAWSURFACE7 lpDDSurfaceTargetOverride, DWORD dwFlags) override;
  HRESULT GetAttachedSurface(LPDDSCAPS2 lpDDSCaps, LPDIRECTDRAWSURFACE7* lplpDDAttachedSurface) override;
  HRESULT GetDC(HDC* lphDC) override;
  HRESULT Lock(LPRECT lpDestRect, LPDDSURFACEDESC2 lpDDSurfaceDesc, DWORD dwFlags, HANDLE hEvent) override;
  HRESULT ReleaseDC(HDC hDC) override;
  HRESULT Restore() override;
  HRESULT SetClipper(LPDIRECTDRAWCLIPPER lpDDClipper) override;
  HRESULT Unlock(LPRECT lpRect) override;

  void attachBackBuffer(DirectDrawSurface* back);
  PixelBlock& pixels() { return *pixels_; }
  bool lost() const { return lossEpoch_ != screen().lossEpoch(); }
  bool onScreen() const { return kind_ == Kind::Primary || kind_ == Kind::FlipFront; }
  const std::string& role() const { return role_; }

private:
  ~DirectDrawSurface();
  void describe(DDSURFACEDESC2& desc) const;
  HRESULT colourFill(LPRECT destination, LPDDBLTFX effects);
  // The part of this surface a blit or fill may touch; false when there is no clipper. A clipper
  // without a window has no clip list: `usable` is then false.
  bool destinationClip(RECT& clip, bool& usable) const;

  ULONG references_ = 1;
  DirectDrawDevice* owner_;
  Kind kind_;
  std::shared_ptr<PixelBlock> pixels_;
  DWORD caps_;
  std::string role_;
  Screen::Mode madeIn_;
  uint64_t lossEpoch_;
  DirectDrawClipper* clipper_ = nullptr;
  DirectDrawSurface* backBuffer_ = nullptr;  // of a flipping chain's front, owned
  bool locked_ = false;
  HDC dc_ = nullptr;
};

// The pixel format of every surface here: 16-bit RGB 5-6-5.
void describeRgb565(DDPIXELFORMAT& format);
std::string rectText(const RECT* rect);

}  // namespace platform
