// gdi32 and the device contexts of user32: stock objects, capabilities and GBK text output.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/CallLog.h"
#include "platform/win32/DeviceContext.h"
#include "platform/win32/DirectDrawSurface.h"
#include "platform/win32/Screen.h"
#include "platform/win32/UnifontGlyphs.h"
#include "platform/win32/WindowManager.h"

namespace platform {

namespace {

constexpr int kFontHeight = 16;

std::vector<std::unique_ptr<DeviceContext>>& liveContexts() {
  // Never destroyed: the program's static objects release DirectDraw objects after main returns.
  static auto* contexts = new std::vector<std::unique_ptr<DeviceContext>>;
  return *contexts;
}

HDC addContext(std::unique_ptr<DeviceContext> context) {
  HDC handle = reinterpret_cast<HDC>(context.get());
  liveContexts().push_back(std::move(context));
  return handle;
}

// Where a context draws: a block of pixels, the origin of its coordinates in that block and
// the area it may touch.
struct Target {
  PixelBlock* pixels = nullptr;
  POINT origin{0, 0};
  RECT clip{0, 0, 0, 0};
  bool onScreen = false;
};

bool targetOf(DeviceContext& context, Target& target, std::shared_ptr<PixelBlock>& keepAlive) {
  if (context.surface) {
    if (context.surface->lost()) return false;
    target.pixels = &context.surface->pixels();
    target.clip = target.pixels->bounds();
    target.onScreen = false;  // shown when the surface's DC is released
    return true;
  }
  keepAlive = screen().visiblePixels();
  if (!keepAlive) return false;
  target.pixels = keepAlive.get();
  RECT client;
  if (screen().fullScreen()) {
    client = keepAlive->bounds();
  } else if (!windowManager().clientOnScreen(context.window ? context.window : windowManager().desktop(), client)) {
    return false;
  }
  target.origin = POINT{client.left, client.top};
  target.clip = intersectRects(client, keepAlive->bounds());
  target.onScreen = true;
  return true;
}

void drawGlyph(const UnifontGlyphs::Glyph& glyph, PixelBlock& pixels, const RECT& clip, LONG left, LONG top,
               uint16_t ink, const uint16_t* paper) {
  for (int row = 0; row < kFontHeight; ++row) {
    LONG y = top + row;
    if (y < clip.top || y >= clip.bottom) continue;
    uint16_t* line = pixels.row(static_cast<int>(y));
    for (int column = 0; column < glyph.width; ++column) {
      LONG x = left + column;
      if (x < clip.left || x >= clip.right) continue;
      if (glyph.rows[row] & (1u << (glyph.width - 1 - column))) {  // leftmost pixel in the top bit
        line[x] = ink;
      } else if (paper) {
        line[x] = *paper;
      }
    }
  }
}

}  // namespace

HDC createWindowDC(HWND window) {
  auto context = std::make_unique<DeviceContext>();
  context->window = window;
  return addContext(std::move(context));
}

HDC createSurfaceDC(DirectDrawSurface* surface) {
  auto context = std::make_unique<DeviceContext>();
  context->surface = surface;
  return addContext(std::move(context));
}

DeviceContext* findDC(HDC handle) {
  if (!handle) return nullptr;
  for (const auto& context : liveContexts()) {
    if (reinterpret_cast<HDC>(context.get()) == handle) return context.get();
  }
  return nullptr;
}

void destroyDC(HDC handle) {
  auto& contexts = liveContexts();
  contexts.erase(std::remove_if(contexts.begin(), contexts.end(),
                                [handle](const std::unique_ptr<DeviceContext>& context) {
                                  return reinterpret_cast<HDC>(context.get()) == handle;
                                }),
                 contexts.end());
}

}  // namespace platform

using platform::callLog;
using platform::findDC;
using platform::formatArgs;

HDC WINAPI GetDC(HWND hWnd) {
  platform::WindowManager& windows = platform::windowManager();
  if (hWnd && !windows.isDesktop(hWnd) && !windows.find(hWnd)) return nullptr;
  return platform::createWindowDC(hWnd ? hWnd : windows.desktop());
}

int WINAPI ReleaseDC(HWND hWnd, HDC hDC) {
  (void)hWnd;
  platform::DeviceContext* context = findDC(hDC);
  if (!context || context->surface) return 0;
  platform::destroyDC(hDC);
  return 1;
}

HGDIOBJ WINAPI GetStockObject(int i) {
  // Stock objects are only handed back to GDI, never looked into: a distinct token for each.
  static char tokens[DEFAULT_GUI_FONT + 1];
  if (i < 0 || i > DEFAULT_GUI_FONT || i == 9) return nullptr;
  return &tokens[i];
}

int WINAPI GetDeviceCaps(HDC hdc, int index) {
  platform::DeviceContext* context = findDC(hdc);
  if (!context) return 0;
  int bits = context->surface ? 16 : platform::screen().bitsPerPixel();
  int width = context->surface ? context->surface->pixels().width : platform::screen().width();
  int height = context->surface ? context->surface->pixels().height : platform::screen().height();
  switch (index) {
    case TECHNOLOGY:
      return 1;  // DT_RASDISPLAY
    case BITSPIXEL:
      return bits;
    case PLANES:
      return 1;
    case HORZRES:
      return width;
    case VERTRES:
      return height;
    case HORZSIZE:
      return width * 254 / 960;
    case VERTSIZE:
      return height * 254 / 960;
    case NUMCOLORS:
      return bits <= 8 ? 1 << bits : -1;
    case LOGPIXELSX:
    case LOGPIXELSY:
      return 96;
    default:
      return 0;
  }
}

int WINAPI SetBkMode(HDC hdc, int mode) {
  platform::DeviceContext* context = findDC(hdc);
  callLog().add("SetBkMode", formatArgs("mode=%d", mode));
  if (!context || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  int previous = context->backgroundMode;
  context->backgroundMode = mode;
  return previous;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
  platform::DeviceContext* context = findDC(hdc);
  callLog().add("SetTextColor", formatArgs("colour=0x%x", color));
  if (!context) return CLR_INVALID;
  COLORREF previous = context->textColour;
  context->textColour = color;
  return previous;
}

BOOL WINAPI GetTextMetricsA(HDC hdc, LPTEXTMETRICA lptm) {
  if (!findDC(hdc) || !lptm) return FALSE;
  *lptm = TEXTMETRICA{};
  lptm->tmHeight = platform::kFontHeight;
  lptm->tmAscent = 14;
  lptm->tmDescent = 2;
  lptm->tmAveCharWidth = 8;
  lptm->tmMaxCharWidth = 16;
  lptm->tmWeight = 400;
  lptm->tmDigitizedAspectX = 96;
  lptm->tmDigitizedAspectY = 96;
  lptm->tmFirstChar = 0x20;
  lptm->tmLastChar = 0xFF;
  lptm->tmDefaultChar = '?';
  lptm->tmBreakChar = ' ';
  lptm->tmPitchAndFamily = 0x31;  // FF_MODERN, a vector font
  lptm->tmCharSet = 134;          // GB2312_CHARSET
  return TRUE;
}

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
  platform::DeviceContext* context = findDC(hdc);
  if (callLog().enabled()) {
    callLog().add("TextOutA", formatArgs("x=%d y=%d length=%d", x, y, c), nullptr,
                  lpString && c > 0 ? std::string(lpString, static_cast<size_t>(c)) : std::string());
  }
  if (!context || c < 0 || (c > 0 && !lpString)) return FALSE;
  platform::Target target;
  std::shared_ptr<platform::PixelBlock> keepAlive;
  if (!platform::targetOf(*context, target, keepAlive)) return FALSE;

  const uint16_t ink = platform::pixelOfColour(context->textColour);
  const uint16_t paper = platform::pixelOfColour(context->backgroundColour);
  const bool opaque = context->backgroundMode == OPAQUE;
  platform::UnifontGlyphs& glyphs = platform::UnifontGlyphs::instance();
  const auto* text = reinterpret_cast<const unsigned char*>(lpString);
  LONG penX = target.origin.x + x;
  const LONG top = target.origin.y + y;
  for (int at = 0; at < c;) {
    uint32_t codePoint;
    int used = glyphs.decodeGbk(text + at, c - at, codePoint);
    at += used;
    const platform::UnifontGlyphs::Glyph& glyph = glyphs.glyph(codePoint);
    platform::drawGlyph(glyph, *target.pixels, target.clip, penX, top, ink, opaque ? &paper : nullptr);
    // A double-byte character takes the cell of two single-byte ones.
    penX += used == 2 ? 16 : glyph.width;
  }
  if (target.onScreen) platform::screen().show(false);
  return TRUE;
}
