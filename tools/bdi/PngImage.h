#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An 8-bit RGBA picture read from or written to a PNG file (any PNG colour type is read and
// converted; pictures are written as RGBA, or RGB when every pixel is opaque).
class PngImage {
public:
  // The largest picture read: BDI sizes are 16-bit, and 2^28 pixels take 1 GiB as RGBA.
  static constexpr uint32_t kMaxSide = 65535;
  static constexpr uint64_t kMaxPixels = uint64_t{1} << 28;

  PngImage() = default;
  PngImage(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  // Pixel (x, y) as four bytes r, g, b, a.
  uint8_t* at(int x, int y) { return &rgba_[(static_cast<size_t>(y) * width_ + x) * 4]; }
  const uint8_t* at(int x, int y) const { return &rgba_[(static_cast<size_t>(y) * width_ + x) * 4]; }
  void set(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255);

  bool read(const std::string& path, std::string& error);
  bool write(const std::string& path, std::string& error) const;

private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> rgba_;
};
