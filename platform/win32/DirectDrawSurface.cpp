#include "platform/win32/DirectDrawSurface.h"

#include <cstring>

#include "platform/win32/CallLog.h"
#include "platform/win32/ComInterface.h"
#include "platform/win32/DeviceContext.h"
#include "platform/win32/DirectDrawClipper.h"
#include "platform/win32/DirectDrawDevice.h"

namespace platform {

using layer::Call;

void describeRgb565(DDPIXELFORMAT& format) {
  std::memset(&format, 0, sizeof format);
  format.dwSize = sizeof format;
  format.dwFlags = DDPF_RGB;
  format.dwRGBBitCount = 16;
  format.dwRBitMask = 0xF800;
  format.dwGBitMask = 0x07E0;
  format.dwBBitMask = 0x001F;
}

std::string rectText(const RECT* rect) {
  if (!rect) return "null";
  return formatArgs("%d,%d,%d,%d", rect->left, rect->top, rect->right, rect->bottom);
}

DirectDrawSurface::DirectDrawSurface(DirectDrawDevice* owner, Kind kind, std::shared_ptr<PixelBlock> pixels, DWORD caps,
                                     std::string role)
    : owner_(owner),
      kind_(kind),
      pixels_(std::move(pixels)),
      caps_(caps),
      role_(std::move(role)),
      madeIn_(screen().mode()),
      lossEpoch_(screen().lossEpoch()) {
  owner_->AddRef();
  owner_->surfaceMade(this);
}

DirectDrawSurface::~DirectDrawSurface() {
  if (dc_) destroyDC(dc_);
  if (backBuffer_) backBuffer_->Release();
  if (clipper_) clipper_->Release();
  owner_->surfaceGone(this);
  owner_->Release();
}

HRESULT DirectDrawSurface::QueryInterface(REFIID riid, LPVOID* ppvObj) {
  return queryOwnInterface<IDirectDrawSurface7>(this, IID_IDirectDrawSurface7, riid, ppvObj);
}

ULONG DirectDrawSurface::AddRef() {
  return ++references_;
}

ULONG DirectDrawSurface::Release() {
  ULONG left = --references_;
  if (callLog().enabled()) callLog().add("Release", formatArgs("surface=%s left=%u", role_.c_str(), left));
  if (left == 0) delete this;
  return left;
}

void DirectDrawSurface::attachBackBuffer(DirectDrawSurface* back) {
  backBuffer_ = back;
}

void DirectDrawSurface::describe(DDSURFACEDESC2& desc) const {
  DWORD size = desc.dwSize;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = size;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
  desc.dwWidth = static_cast<DWORD>(pixels_->width);
  desc.dwHeight = static_cast<DWORD>(pixels_->height);
  desc.lPitch = pixels_->pitch;
  if (kind_ == Kind::FlipFront) {
    desc.dwFlags |= DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
  }
  describeRgb565(desc.ddpfPixelFormat);
  desc.ddsCaps.dwCaps = caps_;
}

bool DirectDrawSurface::destinationClip(RECT& clip, bool& usable) const {
  clip = pixels_->bounds();
  usable = true;
  if (!clipper_) return false;
  RECT window;
  if (!clipper_->clipRect(window)) {
    usable = false;
    return true;
  }
  clip = intersectRects(clip, window);
  return true;
}

HRESULT DirectDrawSurface::colourFill(LPRECT destination, LPDDBLTFX effects) {
  if (!effects || effects->dwSize != sizeof(DDBLTFX)) return DDERR_INVALIDPARAMS;
  RECT clip;
  bool usable;
  bool clipped = destinationClip(clip, usable);
  if (!usable) return DDERR_NOCLIPLIST;
  RECT area = destination ? *destination : pixels_->bounds();
  if (!clipped && !rectInside(area, pixels_->bounds())) return DDERR_INVALIDRECT;
  area = intersectRects(area, clip);
  if (!rectEmpty(area)) fillPixels(*pixels_, area, static_cast<uint16_t>(effects->dwFillColor));
  if (onScreen()) screen().show(false);
  return DD_OK;
}

HRESULT DirectDrawSurface::Blt(LPRECT lpDestRect, LPDIRECTDRAWSURFACE7 lpDDSrcSurface, LPRECT lpSrcRect, DWORD dwFlags,
                               LPDDBLTFX lpDDBltFx) {
  auto* source = static_cast<DirectDrawSurface*>(lpDDSrcSurface);
  HRESULT result = failures().check(Call::Blt);
  const DWORD supported = DDBLT_WAIT | DDBLT_DONOTWAIT | DDBLT_ASYNC | DDBLT_COLORFILL;
  if (result != DD_OK) {
  } else if (dwFlags & ~supported) {
    result = DDERR_UNSUPPORTED;
  } else if (lost() || (source && source->lost())) {
    result = DDERR_SURFACELOST;
  } else if (locked_ || dc_ || (source && (source->locked_ || source->dc_))) {
    result = DDERR_SURFACEBUSY;
  } else if (dwFlags & DDBLT_COLORFILL) {
    result = colourFill(lpDestRect, lpDDBltFx);
  } else if (!source) {
    result = DDERR_INVALIDPARAMS;
  } else {
    RECT from = lpSrcRect ? *lpSrcRect : source->pixels_->bounds();
    RECT to = lpDestRect ? *lpDestRect : pixels_->bounds();
    RECT clip;
    bool usable;
    bool clipped = destinationClip(clip, usable);
    if (!usable) {
      result = DDERR_NOCLIPLIST;
    } else if (!rectInside(from, source->pixels_->bounds()) || (!clipped && !rectInside(to, pixels_->bounds())) ||
               to.right < to.left || to.bottom < to.top) {
      result = DDERR_INVALIDRECT;
    } else if (clipped && clipper_ && rectEmpty(clip) && !rectEmpty(to)) {
      result = DD_OK;  // the window is not on the screen: nothing to draw
    } else {
      stretchPixels(*source->pixels_, from, *pixels_, to, clip);
      if (onScreen()) screen().show(true);
    }
  }
  if (callLog().enabled()) {
    callLog().addResult(
        "Blt",
        formatArgs("surface=%s destination=%s source=%s sourceRect=%s flags=0x%x fill=%s", role_.c_str(),
                   rectText(lpDestRect).c_str(), source ? source->role_.c_str() : "null", rectText(lpSrcRect).c_str(),
                   dwFlags, lpDDBltFx ? formatArgs("0x%x", lpDDBltFx->dwFillColor).c_str() : "null"),
        result);
  }
  return result;
}

HRESULT DirectDrawSurface::Flip(LPDIRECTDRAWSURFACE7 lpDDSurfaceTargetOverride, DWORD dwFlags) {
  HRESULT result = failures().check(Call::Flip);
  if (result != DD_OK) {
  } else if (kind_ != Kind::FlipFront || !backBuffer_) {
    result = DDERR_NOTFLIPPABLE;
  } else if (lpDDSurfaceTargetOverride && lpDDSurfaceTargetOverride != backBuffer_) {
    result = DDERR_INVALIDPARAMS;
  } else if (lost() || backBuffer_->lost()) {
    result = DDERR_SURFACELOST;
  } else if (locked_ || dc_ || backBuffer_->locked_ || backBuffer_->dc_) {
    result = DDERR_SURFACEBUSY;
  } else {
    std::swap(pixels_, backBuffer_->pixels_);
    screen().setFront(pixels_);
    screen().show(true);
  }
  if (callLog().enabled()) {
    callLog().addResult("Flip",
                        formatArgs("surface=%s override=%s flags=0x%x", role_.c_str(),
                                   lpDDSurfaceTargetOverride ? "set" : "null", dwFlags),
                        result);
  }
  return result;
}

HRESULT DirectDrawSurface::GetAttachedSurface(LPDDSCAPS2 lpDDSCaps, LPDIRECTDRAWSURFACE7* lplpDDAttachedSurface) {
  HRESULT result = failures().check(Call::GetAttachedSurface);
  if (result == DD_OK) {
    if (!lpDDSCaps || !lplpDDAttachedSurface) {
      result = DDERR_INVALIDPARAMS;
    } else if (!backBuffer_ || (backBuffer_->caps_ & lpDDSCaps->dwCaps) != lpDDSCaps->dwCaps) {
      result = DDERR_NOTFOUND;
    } else {
      backBuffer_->AddRef();
      *lplpDDAttachedSurface = backBuffer_;
    }
  }
  callLog().addResult("GetAttachedSurface",
                      formatArgs("surface=%s caps=0x%x", role_.c_str(), lpDDSCaps ? lpDDSCaps->dwCaps : 0u), result);
  return result;
}

HRESULT DirectDrawSurface::GetDC(HDC* lphDC) {
  HRESULT result = failures().check(Call::GetDC);
  if (result != DD_OK) {
  } else if (!lphDC) {
    result = DDERR_INVALIDPARAMS;
  } else if (lost()) {
    result = DDERR_SURFACELOST;
  } else if (dc_) {
    result = DDERR_DCALREADYCREATED;
  } else if (locked_) {
    result = DDERR_SURFACEBUSY;
  } else {
    dc_ = createSurfaceDC(this);
    *lphDC = dc_;
  }
  callLog().addResult("GetDC", formatArgs("surface=%s", role_.c_str()), result);
  return result;
}

HRESULT DirectDrawSurface::Lock(LPRECT lpDestRect, LPDDSURFACEDESC2 lpDDSurfaceDesc, DWORD dwFlags, HANDLE hEvent) {
  (void)hEvent;
  HRESULT result = failures().check(Call::Lock);
  if (result != DD_OK) {
  } else if (!lpDDSurfaceDesc || lpDDSurfaceDesc->dwSize != sizeof(DDSURFACEDESC2)) {
    result = DDERR_INVALIDPARAMS;
  } else if (lost()) {
    result = DDERR_SURFACELOST;
  } else if (locked_ || dc_) {
    result = DDERR_SURFACEBUSY;
  } else if (lpDestRect && (!rectInside(*lpDestRect, pixels_->bounds()) || rectEmpty(*lpDestRect))) {
    result = DDERR_INVALIDRECT;
  } else {
    describe(*lpDDSurfaceDesc);
    lpDDSurfaceDesc->dwFlags |= DDSD_LPSURFACE;
    uint16_t* first = pixels_->pixels.get();
    if (lpDestRect) first = pixels_->row(lpDestRect->top) + lpDestRect->left;
    lpDDSurfaceDesc->lpSurface = first;
    locked_ = true;
  }
  if (callLog().enabled()) {
    callLog().addResult("Lock",
                        formatArgs("surface=%s rect=%s flags=0x%x size=%u", role_.c_str(), rectText(lpDestRect).c_str(),
                                   dwFlags, lpDDSurfaceDesc ? lpDDSurfaceDesc->dwSize : 0u),
                        result);
  }
  return result;
}

HRESULT DirectDrawSurface::ReleaseDC(HDC hDC) {
  HRESULT result = DD_OK;
  if (!dc_ || hDC != dc_) {
    result = DDERR_INVALIDPARAMS;
  } else {
    destroyDC(dc_);
    dc_ = nullptr;
    if (onScreen()) screen().show(false);
  }
  callLog().addResult("ReleaseDC", formatArgs("surface=%s", role_.c_str()), result);
  return result;
}

HRESULT DirectDrawSurface::Restore() {
  HRESULT result = failures().check(Call::Restore);
  if (result == DD_OK && lost()) {
    Screen::Mode now = screen().mode();
    bool chain = kind_ == Kind::FlipFront || kind_ == Kind::BackBuffer;
    bool fits = kind_ == Kind::Offscreen ? now.bitsPerPixel == madeIn_.bitsPerPixel
                                         : now == madeIn_ && chain == screen().fullScreen();
    if (!fits) {
      result = DDERR_WRONGMODE;
    } else {
      if (kind_ == Kind::Primary) {
        std::shared_ptr<PixelBlock> desktop = screen().desktopPixels();
        if (!screen().fullScreen() && desktop) pixels_ = desktop;
      }
      lossEpoch_ = screen().lossEpoch();
      if (kind_ == Kind::FlipFront) {
        if (backBuffer_) backBuffer_->lossEpoch_ = lossEpoch_;
        screen().setFront(pixels_);
      }
    }
  }
  if (callLog().enabled()) callLog().addResult("Restore", formatArgs("surface=%s", role_.c_str()), result);
  return result;
}

HRESULT DirectDrawSurface::SetClipper(LPDIRECTDRAWCLIPPER lpDDClipper) {
  HRESULT result = failures().check(Call::SetClipper);
  if (result == DD_OK) {
    auto* clipper = static_cast<DirectDrawClipper*>(lpDDClipper);
    if (clipper) clipper->AddRef();
    if (clipper_) clipper_->Release();
    clipper_ = clipper;
  }
  callLog().addResult("SetClipper", formatArgs("surface=%s clipper=%s", role_.c_str(), lpDDClipper ? "set" : "null"),
                      result);
  return result;
}

HRESULT DirectDrawSurface::Unlock(LPRECT lpRect) {
  HRESULT result = failures().check(Call::Unlock);
  if (result == DD_OK) {
    if (!locked_) {
      result = DDERR_NOTLOCKED;
    } else {
      locked_ = false;
      if (onScreen()) screen().show(false);
    }
  }
  if (callLog().enabled()) {
    callLog().addResult("Unlock", formatArgs("surface=%s rect=%s", role_.c_str(), rectText(lpRect).c_str()), result);
  }
  return result;
}

}  // namespace platform
