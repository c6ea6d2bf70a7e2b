#include "display/Display.h"

#include <windows.h>
#include <ddraw.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "display/CodeExpansion.h"
#include "platform/gbk/GbkText.h"

FrameRateState frameRateState;

#if defined(_WIN32) && !defined(_WIN64)
// The sizes the 32-bit DirectDraw 7 expects in dwSize: a description or effects record of any
// other size is refused.
static_assert(sizeof(DDSURFACEDESC2) == 124, "DDSURFACEDESC2 must be 124 bytes on 32-bit Windows");
static_assert(sizeof(DDBLTFX) == 100, "DDBLTFX must be 100 bytes on 32-bit Windows");
#endif

namespace {

// "您的桌面不是16位色的，不能在窗口模式下运行" in GBK.
const char kDesktopDepthMessage[] =
    "\xc4\xfa\xb5\xc4\xd7\xc0\xc3\xe6\xb2\xbb\xca\xc7\x31\x36\xce\xbb\xc9\xab\xb5\xc4\xa3\xac"
    "\xb2\xbb\xc4\xdc\xd4\xda\xb4\xb0\xbf\xda\xc4\xa3\xca\xbd\xcf\xc2\xd4\xcb\xd0\xd0";

// The formatted status text and one cut line of it, terminating zero included.
constexpr int kTextBufferSize = 1024;
constexpr int kLineBufferSize = 256;

// The surface description as the SDK wants it: all zero but its own size.
void clearSurfaceDesc(DDSURFACEDESC2& desc) {
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
}

// Runs a lock, flip or blit, and while it reports a lost surface restores the surfaces and runs
// it again, at most Display::kLostSurfaceRetries more times.
template <typename Attempt>
HRESULT retryWhileLost(Display& display, Attempt attempt) {
  HRESULT result = attempt();
  for (int retry = 0; result == DDERR_SURFACELOST && retry < Display::kLostSurfaceRetries; ++retry) {
    display.restoreSurfaces();
    result = attempt();
  }
  return result;
}

}  // namespace

int64_t queryTimerFrequency() {
  LARGE_INTEGER frequency;
  if (!QueryPerformanceFrequency(&frequency)) return 0;
  return frequency.QuadPart;
}

Display::Display() {
  for (int code = 0; code < 256; ++code) {
    expandTable[code] = wordOfCode(static_cast<uint8_t>(code));
  }
}

Display::~Display() {
  releaseSurfaces();
  if (directDraw) {
    directDraw->Release();
    directDraw = nullptr;
  }
  delete[] buffer;
  buffer = nullptr;
  bufferCapacity = 0;
}

bool Display::createDirectDraw() {
  if (directDraw) return true;

  HWND desktop = GetDesktopWindow();
  HDC dc = GetDC(desktop);
  desktopBitsPerPixel = static_cast<int16_t>(GetDeviceCaps(dc, PLANES) * GetDeviceCaps(dc, BITSPIXEL));
  ReleaseDC(desktop, dc);

  HRESULT result = DirectDrawCreateEx(nullptr, reinterpret_cast<LPVOID*>(&directDraw), IID_IDirectDraw7, nullptr);
  if (FAILED(result)) {
    directDraw = nullptr;
    return false;
  }
  return true;
}

namespace {

// A size the back buffer can have: both sides positive and the product within bufferSize.
bool validBufferSize(int32_t width, int32_t height) {
  return width > 0 && height > 0 &&
         static_cast<int64_t>(width) * static_cast<int64_t>(height) <= Display::kMaxBufferSize;
}

}  // namespace

bool Display::beginStartUp(HWND window, int32_t width, int32_t height) {
  // A size that cannot be a buffer would overflow bufferSize and every index into it; refuse it
  // before anything is created.
  if (!validBufferSize(width, height)) return false;

  this->height = height;
  this->width = width;
  bitsPerPixel = 16;
  this->window = window;
  return createDirectDraw();
}

bool Display::finishStartUp(int32_t fullScreenFlag) {
  if (!prepareBuffer()) return false;
  fullScreen = fullScreenFlag;
  bufferSize = width * height;
  return true;
}

bool Display::initWindowed(HWND window, int32_t width, int32_t height) {
  if (!beginStartUp(window, width, height)) return false;

  // The off-screen surface takes the desktop's pixel format, and the words we write are 16-bit.
  if (desktopBitsPerPixel != bitsPerPixel) {
    gbkMessageBox(window, kDesktopDepthMessage, "ERROR", MB_OK);
    return false;
  }

  directDraw->RestoreDisplayMode();
  releaseSurfaces();

  if (FAILED(directDraw->SetCooperativeLevel(window, DDSCL_NORMAL))) return false;

  // A framed window of the buffer's outer size, centred on the screen.
  LONG style = GetWindowLongA(window, GWL_STYLE);
  style = (style & ~static_cast<LONG>(WS_POPUP)) | WS_SYSMENU | WS_MINIMIZEBOX;
  SetWindowLongA(window, GWL_STYLE, style);
  SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  MoveWindow(window, (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width,
             height, TRUE);

  DDSURFACEDESC2 desc;
  clearSurfaceDesc(desc);
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  if (FAILED(directDraw->CreateSurface(&desc, &primarySurface, nullptr))) {
    primarySurface = nullptr;
    return false;
  }

  clearSurfaceDesc(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.dwWidth = static_cast<DWORD>(width);
  desc.dwHeight = static_cast<DWORD>(height);
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY | DDSCAPS_3DDEVICE;
  if (FAILED(directDraw->CreateSurface(&desc, &backSurface, nullptr))) {
    backSurface = nullptr;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    if (FAILED(directDraw->CreateSurface(&desc, &backSurface, nullptr))) {
      backSurface = nullptr;
      return false;
    }
  }

  // The clipper keeps blits to the primary inside the window; the primary holds its own
  // reference, so ours goes at once.
  LPDIRECTDRAWCLIPPER clipper = nullptr;
  if (FAILED(directDraw->CreateClipper(0, &clipper, nullptr))) return false;
  if (FAILED(clipper->SetHWnd(0, window))) {
    clipper->Release();
    return false;
  }
  if (FAILED(primarySurface->SetClipper(clipper))) {
    clipper->Release();
    return false;
  }
  clipper->Release();
  return finishStartUp(0);
}

bool Display::initFullScreen(HWND window, int32_t width, int32_t height) {
  if (!beginStartUp(window, width, height)) return false;
  releaseSurfaces();

  if (FAILED(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE))) {
    return false;
  }
  // The mode is ours to set here, whatever the desktop ran at.
  if (FAILED(directDraw->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height), 16, 0, 0))) {
    return false;
  }

  DDSURFACEDESC2 desc;
  clearSurfaceDesc(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.dwBackBufferCount = 1;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX |
                        (videoMemoryFlip ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY);
  if (FAILED(directDraw->CreateSurface(&desc, &primarySurface, nullptr))) {
    primarySurface = nullptr;
    return false;
  }

  DDSCAPS2 caps;
  std::memset(&caps, 0, sizeof caps);
  caps.dwCaps = DDSCAPS_BACKBUFFER;
  if (FAILED(primarySurface->GetAttachedSurface(&caps, &backSurface))) {
    backSurface = nullptr;
    return false;
  }
  return finishStartUp(1);
}

bool Display::prepareBuffer() {
  // The program initialises once, but a second initialisation must not leave a smaller buffer
  // behind a larger bufferSize: keep the buffer only while it is large enough.
  const int32_t needed = width * height;  // validBufferSize has bounded the product
  if (buffer && bufferCapacity >= needed) return true;

  uint8_t* block = new (std::nothrow) uint8_t[static_cast<size_t>(needed)];
  if (!block) {
    gbkMessageBox(window, "Out of memory!", "Error", MB_OK);
    return false;
  }
  delete[] buffer;
  buffer = block;
  bufferCapacity = needed;
  return true;
}

void Display::releaseSurfaces() {
  if (backSurface) {
    backSurface->Release();
    backSurface = nullptr;
  }
  if (primarySurface) {
    primarySurface->Release();
    primarySurface = nullptr;
  }
}

void Display::restoreSurfaces() {
  if (primarySurface) primarySurface->Restore();
  if (backSurface) backSurface->Restore();
}

void Display::clearScreen() {
  if (!primarySurface) return;
  DDBLTFX effects;
  std::memset(&effects, 0, sizeof effects);
  effects.dwSize = sizeof effects;
  effects.dwFillColor = 0;
  primarySurface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &effects);
}

void Display::drawText(int32_t x, int32_t y, uint32_t colour, int32_t maxBytesPerLine, const char* format, ...) {
  if (!primarySurface) return;

  // The primary surface is the whole screen.
  POINT origin;
  origin.x = x;
  origin.y = y;
  ClientToScreen(window, &origin);

  // At most 1024 bytes, the terminating zero included, as Windows' own wvsprintfA writes.
  char text[kTextBufferSize];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);

  // A budget below 1 would never consume a byte; one above 254 could overrun the line buffer
  // (a double-byte character may add one byte past the budget, and the zero must fit).
  if (maxBytesPerLine < 1) return;
  if (maxBytesPerLine > kLineBufferSize - 2) maxBytesPerLine = kLineBufferSize - 2;

  HDC dc = nullptr;
  if (FAILED(primarySurface->GetDC(&dc))) return;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, static_cast<COLORREF>(colour));
  TEXTMETRICA metrics;
  std::memset(&metrics, 0, sizeof metrics);
  GetTextMetricsA(dc, &metrics);

  const unsigned char* next = reinterpret_cast<const unsigned char*>(text);
  int lineY = origin.y;
  while (*next) {
    char line[kLineBufferSize];
    std::memset(line, 0, sizeof line);
    int length = 0;
    // The budget is tested before each character, so a double-byte character that starts on
    // the budget's last byte still joins this line.
    while (*next && length < maxBytesPerLine) {
      if (*next >= 0x80) {
        line[length++] = static_cast<char>(*next++);
        if (*next) line[length++] = static_cast<char>(*next++);  // a lone lead byte ends the text
      } else {
        line[length++] = static_cast<char>(*next++);
      }
    }
    gbkTextOut(dc, origin.x, lineY, line, length);
    lineY += metrics.tmHeight;
  }

  primarySurface->ReleaseDC(dc);
}

bool Display::tableIsDefault() const {
  for (int code = 0; code < 256; ++code) {
    if (expandTable[code] != wordOfCode(static_cast<uint8_t>(code))) return false;
  }
  return true;
}

void Display::countFrame() {
  FrameRateState& state = frameRateState;
  if (!state.frequencyRead) {
    state.counterFrequency = queryTimerFrequency();
    state.frequencyRead = true;
  }
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  const int64_t now = counter.QuadPart;
  if (now - state.lastSecondStart < state.counterFrequency) {
    ++state.frameCount;
  } else {
    // The frame that opens an interval is not counted in it.
    framesPerSecond = state.frameCount;
    state.frameCount = 0;
    state.lastSecondStart = now;
  }
}

void Display::present() {
  countFrame();
  if (!backSurface || !primarySurface || !buffer) return;

  DDSURFACEDESC2 desc;
  HRESULT result = retryWhileLost(*this, [&] {
    clearSurfaceDesc(desc);
    return backSurface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
  });
  if (FAILED(result)) return;  // the frame is dropped; it has been counted

  uint8_t* surface = static_cast<uint8_t*>(desc.lpSurface);
  const int32_t pitch = static_cast<int32_t>(desc.lPitch);
  // With the default table both paths give the same words, so the table path only walks the
  // table when an entry has been changed.
  if (fastExpand || tableIsDefault()) {
    expandCodesFast(buffer, width, height, surface, pitch);
  } else {
    expandCodesTable(buffer, width, height, surface, pitch, expandTable);
  }
  backSurface->Unlock(nullptr);

  if (fullScreen) {
    retryWhileLost(*this, [&] { return primarySurface->Flip(nullptr, DDFLIP_WAIT); });
    return;
  }

  // The client area in screen coordinates; the blit scales the picture into it.
  RECT target;
  GetClientRect(window, &target);
  POINT topLeft;
  topLeft.x = target.left;
  topLeft.y = target.top;
  POINT bottomRight;
  bottomRight.x = target.right;
  bottomRight.y = target.bottom;
  ClientToScreen(window, &topLeft);
  ClientToScreen(window, &bottomRight);
  target.left = topLeft.x;
  target.top = topLeft.y;
  target.right = bottomRight.x;
  target.bottom = bottomRight.y;

  retryWhileLost(*this, [&] { return primarySurface->Blt(&target, backSurface, nullptr, DDBLT_WAIT, nullptr); });
}
