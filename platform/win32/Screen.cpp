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

bool Screen::pictureOfMainWindow(HWND& window, const uint16_t*& pixels, int& width, int& height,
                                 int& pitch) {
  if (fullScreen_) {
    if (!front_) return false;
    window = fullScreenWindow_;
    pixels = front_->pixels.get();
    width = front_->width;
    height = front_->height;
    pitch = front_->pitch;
    return true;
  }
  window = windowManager().mainWindow();
  RECT client;
  if (!window || !desktop_ || !windowManager().clientOnScreen(window, client)) return false;
  width = client.right - client.left;
  height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return false;
  if (rectInside(client, desktop_->bounds())) {
    pixels = desktop_->row(client.top) + client.left;
    pitch = desktop_->pitch;
    return true;
  }
  // Partly off the screen: what lies outside the screen is black.
  scratch_.assign(static_cast<size_t>(width) * height, 0);
  RECT onScreen = intersectRects(client, desktop_->bounds());
  for (LONG y = onScreen.top; y < onScreen.bottom; ++y) {
    std::memcpy(&scratch_[static_cast<size_t>(y - client.top) * width + (onScreen.left - client.left)],
                desktop_->row(y) + onScreen.left, static_cast<size_t>(onScreen.right - onScreen.left) * 2);
  }
  pixels = scratch_.data();
  pitch = width * 2;
  return true;
}

void Screen::show(bool frame) {
  if (frame) runControl().onFrame();
  HWND window = nullptr;
  Picture picture;
  if (!pictureOfMainWindow(window, picture.pixels, picture.width, picture.height, picture.pitch)) return;
  backend().present(window, picture, frame);
}

bool Screen::capture(std::vector<uint16_t>& pixels, int& width, int& height) {
  HWND window = nullptr;
  const uint16_t* source = nullptr;
  int pitch = 0;
  if (!pictureOfMainWindow(window, source, width, height, pitch)) {
    pixels.clear();
    width = height = 0;
    return false;
  }
  pixels.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const uint16_t* row = reinterpret_cast<const uint16_t*>(reinterpret_cast<const char*>(source) +
                                                            static_cast<ptrdiff_t>(y) * pitch);
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
  ++lossEpoch_;
}

}  // namespace platform
