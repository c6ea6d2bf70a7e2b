#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <windows.h>

#include "platform/win32/PixelBlock.h"

namespace platform {

// The display: its mode (the desktop's, or one set for exclusive full screen) and the memory the
// primary surface shows. Windowed, that memory is the whole desktop and a window shows its client
// area of it; full screen, it is the front block of the flipping chain.
class Screen {
public:
  struct Mode {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    bool operator==(const Mode& other) const {
      return width == other.width && height == other.height && bitsPerPixel == other.bitsPerPixel;
    }
  };

  Mode mode() const;
  int width() const { return mode().width; }
  int height() const { return mode().height; }
  int bitsPerPixel() const { return mode().bitsPerPixel; }

  // Exclusive full screen for `window` at a mode; false when the back end cannot have it.
  bool setFullScreenMode(HWND window, int width, int height, int bitsPerPixel);
  void restoreDesktopMode();
  bool fullScreen() const { return fullScreen_; }

  // Surfaces made before the latest mode change or loss are lost until restored.
  uint64_t lossEpoch() const { return lossEpoch_; }
  void loseAll() { ++lossEpoch_; }
  // The desktop itself changed (depth or size).
  void desktopChanged();

  // The desktop's memory, made on first use at the desktop's size; null without memory.
  std::shared_ptr<PixelBlock> desktopPixels();
  void setFront(std::shared_ptr<PixelBlock> front) { front_ = std::move(front); }
  // The memory shown now: the full-screen front block, or the desktop's.
  std::shared_ptr<PixelBlock> visiblePixels() { return fullScreen_ ? front_ : desktopPixels(); }

  // The primary surface changed: shows the new picture; `frame` for a rendered frame.
  void show(bool frame);
  // The picture shown last (what the main window showed, or the full screen), as RGB565 rows;
  // it stays capturable after the window or the surfaces are gone.
  bool capture(std::vector<uint16_t>& pixels, int& width, int& height);

  void reset();

private:
  // A picture cut from the screen's memory: the block and the part of it shown, which can reach
  // outside the block.
  struct Shown {
    std::shared_ptr<PixelBlock> block;
    RECT area{0, 0, 0, 0};
    HWND window = nullptr;
  };
  // What the main window (or the full screen) shows now.
  bool currentlyShown(Shown& shown);
  // A view into the block when the area lies inside it, else a copy padded with black.
  bool pictureOf(const Shown& shown, const uint16_t*& pixels, int& width, int& height, int& pitch);

  bool fullScreen_ = false;
  HWND fullScreenWindow_ = nullptr;
  Mode fullScreenMode_;
  uint64_t lossEpoch_ = 1;
  std::shared_ptr<PixelBlock> desktop_;
  std::shared_ptr<PixelBlock> front_;
  std::vector<uint16_t> scratch_;
  Shown last_;
};

Screen& screen();

}  // namespace platform
