#include "platform/win32/Screen.h"

#include <algorithm>
#include <cstring>

#include "platform/win32/Backend.h"
#include "platform/win32/RunControl.h"
#include "platform/win32/WindowManager.h"

namespace platform {

Screen& screen() {
  // Never destroyed: the program's static objects release DirectDraw objects after main returns.
  static auto* theScreen = new Screen;
  return *theScreen;
}

Screen::Mode Screen::mode() const {
  if (fullScreen_) return fullScreenMode_;
  Mode desktop;
  backend().desktopSize(desktop.width, desktop.height);
  desktop.bitsPerPixel = backend().desktopBitsPerPixel();
  return desktop;
}

bool Screen::setFullScreenMode(HWND window, int width, int height, int bitsPerPixel) {
  if (!backend().setFullScreen(window, width, height, bitsPerPixel)) return false;
  fullScreen_ = true;
  fullScreenWindow_ = window;
  fullScreenMode_ = Mode{width, height, bitsPerPixel};
  front_.reset();
  ++lossEpoch_;
  return true;
}

void Screen::restoreDesktopMode() {
  if (!fullScreen_) return;
  backend().leaveFullScreen(fullScreenWindow_);
  fullScreen_ = false;
  fullScreenWindow_ = nullptr;
  front_.reset();
  ++lossEpoch_;
}

void Screen::desktopChanged() {
  if (!fullScreen_) ++lossEpoch_;
  desktop_.reset();
}

std::shared_ptr<PixelBlock> Screen::desktopPixels() {
  Mode desktop;
  backend().desktopSize(desktop.width, desktop.height);
  if (!desktop_ || desktop_->width != desktop.width || desktop_->height != desktop.height) {
    desktop_ = PixelBlock::make(desktop.width, desktop.height);
  }
  return desktop_;
}

bool Screen::currentlyShown(Shown& shown) {
  if (fullScreen_) {
    if (!front_) return false;
    shown.block = front_;
    shown.area = front_->bounds();
    shown.window = fullScreenWindow_;
    return true;
  }
  shown.window = windowManager().mainWindow();
  if (!shown.window || !desktop_ || !windowManager().clientOnScreen(shown.window, shown.area)) return false;
  shown.block = desktop_;
  return !rectEmpty(shown.area);
}

bool Screen::pictureOf(const Shown& shown, const uint16_t*& pixels, int& width, int& height, int& pitch) {
  const PixelBlock& block = *shown.block;
  const RECT& area = shown.area;
  width = area.right - area.left;
  height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return false;
  if (rectInside(area, block.bounds())) {
    pixels = block.row(area.top) + area.left;
    pitch = block.pitch;
    return true;
  }
  // Partly off the screen: what lies outside the screen is black.
  scratch_.assign(static_cast<size_t>(width) * height, 0);
  RECT inside = intersectRects(area, block.bounds());
  for (LONG y = inside.top; y < inside.bottom; ++y) {
    std::memcpy(&scratch_[static_cast<size_t>(y - area.top) * width + (inside.left - area.left)],
                block.row(y) + inside.left, static_cast<size_t>(inside.right - inside.left) * 2);
  }
  pixels = scratch_.data();
  pitch = width * 2;
  return true;
}

void Screen::show(bool frame) {
  if (frame) runControl().onFrame();
  Shown shown;
  if (!currentlyShown(shown)) return;
  last_ = shown;
  Picture picture;
  if (!pictureOf(shown, picture.pixels, picture.width, picture.height, picture.pitch)) return;
  backend().present(shown.window, picture, frame);
}

bool Screen::capture(std::vector<uint16_t>& pixels, int& width, int& height) {
  const uint16_t* source = nullptr;
  int pitch = 0;
  pixels.clear();
  if (!last_.block || !pictureOf(last_, source, width, height, pitch)) {
    width = height = 0;
    return false;
  }
  pixels.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const uint16_t* row =
        reinterpret_cast<const uint16_t*>(reinterpret_cast<const char*>(source) + static_cast<ptrdiff_t>(y) * pitch);
    std::copy(row, row + width, pixels.begin() + static_cast<ptrdiff_t>(y) * width);
  }
  return true;
}

void Screen::reset() {
  fullScreen_ = false;
  fullScreenWindow_ = nullptr;
  fullScreenMode_ = Mode{};
  desktop_.reset();
  front_.reset();
  scratch_.clear();
  last_ = Shown{};
  ++lossEpoch_;
}

}  // namespace platform
