#pragma once

#include <ddraw.h>

namespace platform {

// A clipper bound to a window: blits and fills on the primary surface stay inside the window's
// client area (on the screen).
class DirectDrawClipper final : public IDirectDrawClipper {
public:
  HRESULT QueryInterface(REFIID riid, LPVOID* ppvObj) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT SetHWnd(DWORD dwFlags, HWND hWnd) override;

  // The area a blit may touch, in screen coordinates; false without a window (no clip list).
  bool clipRect(RECT& clip) const;

private:
  ~DirectDrawClipper() = default;
  ULONG references_ = 1;
  HWND window_ = nullptr;
};

}  // namespace platform
