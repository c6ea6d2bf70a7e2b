// user32 window functions over the WindowManager.
#include <windows.h>

#include "platform/win32/Backend.h"
#include "platform/win32/CallLog.h"
#include "platform/win32/Screen.h"
#include "platform/win32/WindowManager.h"

using platform::callLog;
using platform::formatArgs;
using platform::windowManager;

ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass) {
  if (!lpWndClass) return 0;
  ATOM atom = windowManager().registerClass(*lpWndClass);
  callLog().add(
      "RegisterClassA",
      formatArgs("class=%s style=0x%x", lpWndClass->lpszClassName ? lpWndClass->lpszClassName : "", lpWndClass->style));
  return atom;
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                            int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                            LPVOID lpParam) {
  (void)hWndParent;
  (void)hMenu;
  callLog().add("CreateWindowExA",
                formatArgs("class=%s style=0x%x exStyle=0x%x x=%d y=%d width=%d height=%d",
                           lpClassName ? lpClassName : "", dwStyle, dwExStyle, X, Y, nWidth, nHeight),
                nullptr, lpWindowName ? lpWindowName : "");
  return windowManager().create(dwExStyle, lpClassName, lpWindowName, dwStyle, X, Y, nWidth, nHeight, hInstance,
                                lpParam);
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
  callLog().add("DestroyWindow", "", hWnd);
  return windowManager().destroy(hWnd) ? TRUE : FALSE;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
  platform::Window* window = windowManager().find(hWnd);
  if (!window) return FALSE;
  callLog().add("ShowWindow", formatArgs("command=%d", nCmdShow), hWnd);
  BOOL wasVisible = window->visible ? TRUE : FALSE;
  bool show = nCmdShow != SW_HIDE;
  windowManager().setVisible(hWnd, show);
  // Showing a window with one of the activating commands activates the application.
  bool activates = nCmdShow == SW_SHOWNORMAL || nCmdShow == SW_SHOW || nCmdShow == SW_SHOWMAXIMIZED ||
                   nCmdShow == SW_RESTORE || nCmdShow == SW_SHOWDEFAULT;
  if (show && activates) windowManager().setActive(true);
  return wasVisible;
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
  return windowManager().find(hWnd) ? TRUE : FALSE;
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  (void)wParam;
  (void)lParam;
  switch (Msg) {
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      windowManager().destroy(hWnd);
      return 0;
    default:
      return 0;
  }
}

HWND WINAPI GetDesktopWindow(void) {
  return windowManager().desktop();
}

int WINAPI GetSystemMetrics(int nIndex) {
  switch (nIndex) {
    case SM_CXSCREEN:
      return platform::screen().width();
    case SM_CYSCREEN:
      return platform::screen().height();
    default:
      return 0;
  }
}

LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) {
  platform::Window* window = windowManager().find(hWnd);
  if (!window) return 0;
  switch (nIndex) {
    case GWL_STYLE:
      return static_cast<LONG>(window->style | (window->visible ? WS_VISIBLE : 0u));
    case GWL_EXSTYLE:
      return static_cast<LONG>(window->exStyle);
    case GWL_ID:
      return window->id;
    case GWL_USERDATA:
      return static_cast<LONG>(window->userData);
    default:
      return 0;  // pointers do not fit a LONG in a 64-bit process
  }
}

LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
  platform::Window* window = windowManager().find(hWnd);
  if (!window) return 0;
  LONG previous = GetWindowLongA(hWnd, nIndex);
  callLog().add("SetWindowLongA", formatArgs("index=%d value=0x%x", nIndex, static_cast<unsigned>(dwNewLong)), hWnd);
  DWORD value = static_cast<DWORD>(dwNewLong);
  switch (nIndex) {
    case GWL_STYLE:
      window->style = value & ~WS_VISIBLE;
      windowManager().setVisible(hWnd, (value & WS_VISIBLE) != 0);
      windowManager().notifyPlacement(hWnd);
      break;
    case GWL_EXSTYLE:
      window->exStyle = value;
      break;
    case GWL_ID:
      window->id = dwNewLong;
      break;
    case GWL_USERDATA:
      window->userData = dwNewLong;
      break;
    default:
      return 0;
  }
  return previous;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex) {
  platform::Window* window = windowManager().find(hWnd);
  return window && nIndex == GWLP_USERDATA ? window->userData : 0;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  platform::Window* window = windowManager().find(hWnd);
  if (!window || nIndex != GWLP_USERDATA) return 0;
  LONG_PTR previous = window->userData;
  window->userData = dwNewLong;
  return previous;
}

BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
  platform::Window* window = windowManager().find(hWnd);
  callLog().add("SetWindowPos",
                formatArgs("after=%ld x=%d y=%d width=%d height=%d flags=0x%x",
                           static_cast<long>(reinterpret_cast<intptr_t>(hWndInsertAfter)), X, Y, cx, cy, uFlags),
                hWnd);
  if (!window) return FALSE;
  if (!(uFlags & SWP_NOZORDER)) {
    if (hWndInsertAfter == HWND_TOPMOST) window->exStyle |= WS_EX_TOPMOST;
    if (hWndInsertAfter == HWND_NOTOPMOST) window->exStyle &= ~WS_EX_TOPMOST;
  }
  POINT position{X, Y};
  SIZE size{cx, cy};
  windowManager().place(hWnd, (uFlags & SWP_NOMOVE) ? nullptr : &position, (uFlags & SWP_NOSIZE) ? nullptr : &size);
  if (uFlags & SWP_SHOWWINDOW) windowManager().setVisible(hWnd, true);
  if (uFlags & SWP_HIDEWINDOW) windowManager().setVisible(hWnd, false);
  return TRUE;
}

BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
  callLog().add("MoveWindow", formatArgs("x=%d y=%d width=%d height=%d repaint=%d", X, Y, nWidth, nHeight, bRepaint),
                hWnd);
  if (!windowManager().find(hWnd)) return FALSE;
  POINT position{X, Y};
  SIZE size{nWidth, nHeight};
  windowManager().place(hWnd, &position, &size);
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
  RECT client;
  if (!lpRect || !windowManager().clientOnScreen(hWnd, client)) return FALSE;
  *lpRect = RECT{0, 0, client.right - client.left, client.bottom - client.top};
  return TRUE;
}

BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
  RECT client;
  if (!lpPoint || !windowManager().clientOnScreen(hWnd, client)) return FALSE;
  lpPoint->x += client.left;
  lpPoint->y += client.top;
  return TRUE;
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  const char* text = lpText ? lpText : "";
  // A null caption shows "Error" on Windows.
  const char* caption = lpCaption ? lpCaption : "Error";
  callLog().add("MessageBoxA", formatArgs("style=0x%x", uType), hWnd, text, caption);
  return platform::backend().messageBox(hWnd, text, caption, uType);
}
