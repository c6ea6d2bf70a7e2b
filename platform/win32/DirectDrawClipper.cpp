#include "platform/win32/DirectDrawClipper.h"

#include <cstring>

#include "platform/win32/CallLog.h"
#include "platform/win32/ComInterface.h"
#include "platform/win32/WindowManager.h"

namespace platform {

HRESULT DirectDrawClipper::QueryInterface(REFIID riid, LPVOID* ppvObj) {
  return queryOwnInterface<IDirectDrawClipper>(this, IID_IDirectDrawClipper, riid, ppvObj);
}

ULONG DirectDrawClipper::AddRef() {
  return ++references_;
}

ULONG DirectDrawClipper::Release() {
  ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT DirectDrawClipper::SetHWnd(DWORD dwFlags, HWND hWnd) {
  HRESULT result = failures().check(layer::Call::SetHWnd);
  if (result == DD_OK && (dwFlags != 0 || (hWnd && !windowManager().find(hWnd)))) {
    result = DDERR_INVALIDPARAMS;
  }
  if (result == DD_OK) window_ = hWnd;
  callLog().addResult("SetHWnd", formatArgs("flags=0x%x", dwFlags), result, hWnd);
  return result;
}

bool DirectDrawClipper::clipRect(RECT& clip) const {
  if (!window_) return false;
  if (!windowManager().clientOnScreen(window_, clip)) clip = RECT{0, 0, 0, 0};
  return true;
}

}  // namespace platform
