#pragma once

#include <string>
#include <vector>

#include "tools/bdi/PngImage.h"

// Colour with channels 0..255 as floats, so that shading can overshoot before it is clamped.
struct Rgb {
  float r = 0;
  float g = 0;
  float b = 0;
};

Rgb mix(const Rgb& a, const Rgb& b, float t);
Rgb scale(const Rgb& c, float k);
Rgb add(const Rgb& a, const Rgb& b);
float clamp01(float v);
float smoothstep(float edge0, float edge1, float v);

// A picture being painted: colour and coverage (0 empty, 1 painted) per pixel.
class Canvas {
public:
  Canvas(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  const Rgb& color(int x, int y) const { return pixels_[index(x, y)]; }
  float coverage(int x, int y) const { return coverage_[index(x, y)]; }

  // Paints colour over the pixel with opacity alpha (0..1).
  void blend(int x, int y, const Rgb& c, float alpha);
  void set(int x, int y, const Rgb& c) { blend(x, y, c, 1.0f); }

  // Darkens the empty pixels next to painted ones: a one-pixel outline around the silhouette.
  void outline(const Rgb& c);

  // Reduces the picture to the colours the engine can show (the 256 colours of codes c shown as
  // RGB565 words c * 0x101), with ordered dithering of the given strength (0: none). Pixels with
  // coverage below one half become the background: transparent, or the given colour. The code
  // `avoid` (-1: none) is never used for a painted pixel, since it is the sprite's colour key.
  PngImage quantize(float dither, int avoid, bool transparentBackground, const Rgb& background) const;

private:
  size_t index(int x, int y) const { return static_cast<size_t>(y) * width_ + x; }

  int width_;
  int height_;
  std::vector<Rgb> pixels_;
  std::vector<float> coverage_;
};
