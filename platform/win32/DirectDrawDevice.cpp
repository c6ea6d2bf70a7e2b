#include "platform/win32/DirectDrawDevice.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/win32/Backend.h"
#include "platform/win32/CallLog.h"
#include "platform/win32/ComInterface.h"
#include "platform/win32/DirectDrawClipper.h"
#include "platform/win32/DirectDrawSurface.h"
#include "platform/win32/Screen.h"
#include "platform/win32/WindowManager.h"

const GUID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const GUID IID_IDirectDraw7 = {0x15e65ec0, 0x3b9c, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};
const GUID IID_IDirectDrawSurface7 = {0x06675a80, 0x3b9b, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};
const GUID IID_IDirectDrawClipper = {0x6C14DB85, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

namespace platform {

using layer::Call;

namespace {

// Surfaces larger than this on a side are refused, as drivers of the time did.
constexpr DWORD kMaxSurfaceSide = 8192;

}  // namespace

HRESULT DirectDrawDevice::QueryInterface(REFIID riid, LPVOID* ppvObj) {
  return queryOwnInterface<IDirectDraw7>(this, IID_IDirectDraw7, riid, ppvObj);
}

ULONG DirectDrawDevice::AddRef() {
  return ++references_;
}

ULONG DirectDrawDevice::Release() {
  ULONG left = --references_;
  if (callLog().enabled()) callLog().add("Release", formatArgs("object=directDraw left=%u", left));
  if (left == 0) {
    // The exclusive owner going away gives the desktop its mode back.
    if (modeChanged_) screen().restoreDesktopMode();
    delete this;
  }
  return left;
}

HRESULT DirectDrawDevice::CreateClipper(DWORD dwFlags, LPDIRECTDRAWCLIPPER* lplpDDClipper, IUnknown* pUnkOuter) {
  HRESULT result = failures().check(Call::CreateClipper);
  if (result == DD_OK) {
    if (!lplpDDClipper || pUnkOuter || dwFlags != 0) {
      result = DDERR_INVALIDPARAMS;
    } else {
      *lplpDDClipper = new (std::nothrow) DirectDrawClipper;
      if (!*lplpDDClipper) result = DDERR_OUTOFMEMORY;
    }
  }
  callLog().addResult("CreateClipper", formatArgs("flags=0x%x", dwFlags), result);
  return result;
}

HRESULT DirectDrawDevice::makeSurface(const DDSURFACEDESC2& desc, DirectDrawSurface*& made) {
  made = nullptr;
  const DWORD caps = (desc.dwFlags & DDSD_CAPS) ? desc.ddsCaps.dwCaps : DDSCAPS_OFFSCREENPLAIN;
  const bool sized = (desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != 0;
  if (!levelSet_) return DDERR_NOCOOPERATIVELEVELSET;
  if ((caps & DDSCAPS_VIDEOMEMORY) && (caps & DDSCAPS_SYSTEMMEMORY)) return DDERR_INVALIDCAPS;
  if ((caps & DDSCAPS_VIDEOMEMORY) && !failures().videoMemory()) return DDERR_OUTOFVIDEOMEMORY;
  if ((desc.dwFlags & DDSD_PIXELFORMAT) &&
      !((desc.ddpfPixelFormat.dwFlags & DDPF_RGB) && desc.ddpfPixelFormat.dwRGBBitCount == 16)) {
    return DDERR_INVALIDPIXELFORMAT;
  }

  if (caps & DDSCAPS_PRIMARYSURFACE) {
    if (sized) return DDERR_INVALIDPARAMS;
    for (DirectDrawSurface* surface : surfaces_) {
      if (surface->onScreen()) return DDERR_PRIMARYSURFACEALREADYEXISTS;
    }
    const bool chain = (caps & DDSCAPS_FLIP) != 0;
    if (!chain) {
      std::shared_ptr<PixelBlock> pixels;
      if (screen().fullScreen()) {
        pixels = PixelBlock::make(screen().width(), screen().height());
        if (pixels) screen().setFront(pixels);
      } else {
        pixels = screen().desktopPixels();
      }
      if (!pixels) return DDERR_OUTOFMEMORY;
      made = new (std::nothrow) DirectDrawSurface(this, DirectDrawSurface::Kind::Primary, pixels,
                                                  caps | DDSCAPS_VISIBLE | DDSCAPS_FRONTBUFFER, "primary");
      return made ? DD_OK : DDERR_OUTOFMEMORY;
    }
    if (!(caps & DDSCAPS_COMPLEX) || !(desc.dwFlags & DDSD_BACKBUFFERCOUNT)) return DDERR_INVALIDCAPS;
    if (!exclusive_ || !screen().fullScreen()) return DDERR_NOEXCLUSIVEMODE;
    if (desc.dwBackBufferCount != 1) return DDERR_UNSUPPORTED;
    std::shared_ptr<PixelBlock> front = PixelBlock::make(screen().width(), screen().height());
    std::shared_ptr<PixelBlock> back = PixelBlock::make(screen().width(), screen().height());
    if (!front || !back) return DDERR_OUTOFMEMORY;
    const DWORD memory = caps & (DDSCAPS_VIDEOMEMORY | DDSCAPS_SYSTEMMEMORY);
    auto* backSurface =
        new (std::nothrow) DirectDrawSurface(this, DirectDrawSurface::Kind::BackBuffer, back,
                                             DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX | memory, "back");
    if (!backSurface) return DDERR_OUTOFMEMORY;
    made = new (std::nothrow) DirectDrawSurface(this, DirectDrawSurface::Kind::FlipFront, front,
                                                caps | DDSCAPS_VISIBLE | DDSCAPS_FRONTBUFFER, "primary");
    if (!made) {
      backSurface->Release();
      return DDERR_OUTOFMEMORY;
    }
    made->attachBackBuffer(backSurface);
    screen().setFront(front);
    return DD_OK;
  }

  if ((desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
  if (desc.dwWidth == 0 || desc.dwHeight == 0 || desc.dwWidth > kMaxSurfaceSide || desc.dwHeight > kMaxSurfaceSide) {
    return DDERR_INVALIDPARAMS;
  }
  std::shared_ptr<PixelBlock> pixels =
      PixelBlock::make(static_cast<int>(desc.dwWidth), static_cast<int>(desc.dwHeight));
  if (!pixels) return (caps & DDSCAPS_VIDEOMEMORY) ? DDERR_OUTOFVIDEOMEMORY : DDERR_OUTOFMEMORY;
  DWORD memory = (caps & DDSCAPS_VIDEOMEMORY) ? DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM : DDSCAPS_SYSTEMMEMORY;
  made = new (std::nothrow)
      DirectDrawSurface(this, DirectDrawSurface::Kind::Offscreen, pixels, (caps & ~DDSCAPS_SYSTEMMEMORY) | memory,
                        formatArgs("offscreen%d", ++offscreenCount_));
  return made ? DD_OK : DDERR_OUTOFMEMORY;
}

HRESULT DirectDrawDevice::CreateSurface(LPDDSURFACEDESC2 lpDDSurfaceDesc2, LPDIRECTDRAWSURFACE7* lplpDDSurface,
                                        IUnknown* pUnkOuter) {
  HRESULT result = failures().check(Call::CreateSurface);
  DirectDrawSurface* made = nullptr;
  if (result == DD_OK) {
    if (!lpDDSurfaceDesc2 || !lplpDDSurface || pUnkOuter || lpDDSurfaceDesc2->dwSize != sizeof(DDSURFACEDESC2)) {
      result = DDERR_INVALIDPARAMS;
    } else {
      result = makeSurface(*lpDDSurfaceDesc2, made);
      if (result == DD_OK) *lplpDDSurface = made;
    }
  }
  if (callLog().enabled()) {
    const DDSURFACEDESC2* desc = lpDDSurfaceDesc2;
    callLog().addResult(
        "CreateSurface",
        desc ? formatArgs("flags=0x%x caps=0x%x width=%u height=%u backBuffers=%u size=%u", desc->dwFlags,
                          desc->ddsCaps.dwCaps, desc->dwWidth, desc->dwHeight, desc->dwBackBufferCount, desc->dwSize)
             : std::string("desc=null"),
        result);
  }
  return result;
}

HRESULT DirectDrawDevice::RestoreDisplayMode() {
  if (modeChanged_) {
    screen().restoreDesktopMode();
    modeChanged_ = false;
  }
  callLog().addResult("RestoreDisplayMode", "", DD_OK);
  return DD_OK;
}

HRESULT DirectDrawDevice::SetCooperativeLevel(HWND hWnd, DWORD dwFlags) {
  HRESULT result = failures().check(Call::SetCooperativeLevel);
  if (result == DD_OK) {
    const bool fullScreen = (dwFlags & DDSCL_FULLSCREEN) != 0;
    const bool exclusive = (dwFlags & DDSCL_EXCLUSIVE) != 0;
    const bool normal = (dwFlags & DDSCL_NORMAL) != 0;
    if (fullScreen != exclusive || (normal && exclusive) || (!normal && !exclusive)) {
      result = DDERR_INVALIDPARAMS;
    } else if (hWnd ? !windowManager().find(hWnd) : exclusive) {
      result = DDERR_INVALIDPARAMS;
    } else {
      if (!exclusive && modeChanged_) {
        screen().restoreDesktopMode();
        modeChanged_ = false;
      }
      levelSet_ = true;
      exclusive_ = exclusive;
      window_ = hWnd;
    }
  }
  callLog().addResult("SetCooperativeLevel", formatArgs("flags=0x%x", dwFlags), result, hWnd);
  return result;
}

HRESULT DirectDrawDevice::SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBPP, DWORD dwRefreshRate,
                                         DWORD dwFlags) {
  HRESULT result = failures().check(Call::SetDisplayMode);
  if (result == DD_OK) {
    if (!exclusive_) {
      result = DDERR_NOEXCLUSIVEMODE;
    } else if (dwWidth == 0 || dwHeight == 0 || dwWidth > kMaxSurfaceSide || dwHeight > kMaxSurfaceSide ||
               dwFlags != 0) {
      result = DDERR_INVALIDPARAMS;
    } else if (dwBPP != 16) {
      result = DDERR_UNSUPPORTEDMODE;  // every surface here is 16-bit
    } else if (!screen().setFullScreenMode(window_, static_cast<int>(dwWidth), static_cast<int>(dwHeight), 16)) {
      result = DDERR_UNSUPPORTEDMODE;
    } else {
      modeChanged_ = true;
    }
  }
  callLog().addResult(
      "SetDisplayMode",
      formatArgs("width=%u height=%u bpp=%u refresh=%u flags=0x%x", dwWidth, dwHeight, dwBPP, dwRefreshRate, dwFlags),
      result);
  return result;
}

HRESULT DirectDrawDevice::WaitForVerticalBlank(DWORD dwFlags, HANDLE hEvent) {
  HRESULT result = DD_OK;
  if (hEvent || (dwFlags != DDWAITVB_BLOCKBEGIN && dwFlags != DDWAITVB_BLOCKEND)) {
    result = DDERR_INVALIDPARAMS;
  } else if (!backend().syncToRefresh(window_ ? window_ : windowManager().mainWindow())) {
    result = DDERR_UNSUPPORTED;
  }
  if (callLog().enabled()) callLog().addResult("WaitForVerticalBlank", formatArgs("flags=0x%x", dwFlags), result);
  return result;
}

void DirectDrawDevice::surfaceMade(DirectDrawSurface* surface) {
  surfaces_.push_back(surface);
}

void DirectDrawDevice::surfaceGone(DirectDrawSurface* surface) {
  surfaces_.erase(std::remove(surfaces_.begin(), surfaces_.end(), surface), surfaces_.end());
}

}  // namespace platform

HRESULT WINAPI DirectDrawCreateEx(GUID* lpGuid, LPVOID* lplpDD, REFIID iid, IUnknown* pUnkOuter) {
  using namespace platform;
  HRESULT result = failures().check(Call::DirectDrawCreateEx);
  if (result == DD_OK) {
    if (!lplpDD || pUnkOuter || !sameGuid(iid, IID_IDirectDraw7)) {
      result = DDERR_INVALIDPARAMS;
    } else {
      auto* device = new (std::nothrow) DirectDrawDevice;
      if (!device) result = DDERR_OUTOFMEMORY;
      *lplpDD = static_cast<IDirectDraw7*>(device);
    }
  }
  callLog().addResult("DirectDrawCreateEx", formatArgs("guid=%s", lpGuid ? "set" : "null"), result);
  return result;
}
