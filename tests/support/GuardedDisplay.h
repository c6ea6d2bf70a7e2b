#pragma once

// A Display whose back buffer lies between two guard bands of the fill byte, so that a write
// outside the buffer shows up, for tests and fuzz targets that draw.

#include "display/Display.h"

#include <algorithm>
#include <cstdint>
#include <vector>

class GuardedDisplay {
public:
  static constexpr int32_t kBand = 64;

  GuardedDisplay(int32_t width, int32_t height, uint8_t fill)
      : fill(fill), storage(static_cast<size_t>(width) * height + 2 * kBand, fill) {
    display.width = width;
    display.height = height;
    display.bufferSize = width * height;
    display.buffer = storage.data() + kBand;
  }
  ~GuardedDisplay() { display.buffer = nullptr; }  // the storage is ours, not the Display's
  GuardedDisplay(const GuardedDisplay&) = delete;
  GuardedDisplay& operator=(const GuardedDisplay&) = delete;

  void clear() { std::fill(storage.begin(), storage.end(), fill); }
  uint8_t at(int32_t x, int32_t y) const { return display.buffer[y * display.width + x]; }
  std::vector<uint8_t> pixels() const {
    return std::vector<uint8_t>(display.buffer, display.buffer + display.bufferSize);
  }
  void setPixels(const std::vector<uint8_t>& codes) { std::copy(codes.begin(), codes.end(), display.buffer); }
  bool bandsIntact() const {
    return std::all_of(storage.begin(), storage.begin() + kBand, [this](uint8_t b) { return b == fill; }) &&
           std::all_of(storage.end() - kBand, storage.end(), [this](uint8_t b) { return b == fill; });
  }
  // Nothing written at all, inside the buffer or outside it.
  bool untouched() const {
    return std::all_of(storage.begin(), storage.end(), [this](uint8_t b) { return b == fill; });
  }

  Display display;
  uint8_t fill;
  std::vector<uint8_t> storage;
};
