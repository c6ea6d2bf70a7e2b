#include "tools/artgen/Canvas.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "tools/bdi/ColorCoder.h"

Rgb mix(const Rgb& a, const Rgb& b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb scale(const Rgb& c, float k) {
  return {c.r * k, c.g * k, c.b * k};
}

Rgb add(const Rgb& a, const Rgb& b) {
  return {a.r + b.r, a.g + b.g, a.b + b.b};
}

float clamp01(float v) {
  return std::min(1.0f, std::max(0.0f, v));
}

float smoothstep(float edge0, float edge1, float v) {
  const float t = clamp01((v - edge0) / (edge1 - edge0));
  return t * t * (3 - 2 * t);
}

Canvas::Canvas(int width, int height)
    : width_(width),
      height_(height),
      pixels_(static_cast<size_t>(width) * height),
      coverage_(static_cast<size_t>(width) * height, 0.0f) {}

void Canvas::blend(int x, int y, const Rgb& c, float alpha) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || alpha <= 0) {
    return;
  }
  alpha = std::min(alpha, 1.0f);
  const size_t i = index(x, y);
  pixels_[i] = mix(pixels_[i], c, alpha);
  coverage_[i] = coverage_[i] + (1 - coverage_[i]) * alpha;
}

void Canvas::outline(const Rgb& c) {
  const std::vector<float> before = coverage_;
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (before[index(x, y)] >= 0.5f) {
        continue;
      }
      bool edge = false;
      for (int d = 0; d < 4 && !edge; ++d) {
        const int nx = x + (d == 0) - (d == 1);
        const int ny = y + (d == 2) - (d == 3);
        edge = nx >= 0 && ny >= 0 && nx < width_ && ny < height_ && before[index(nx, ny)] >= 0.5f;
      }
      if (edge) {
        pixels_[index(x, y)] = c;
        coverage_[index(x, y)] = 1.0f;
      }
    }
  }
}

namespace {

// Perceptual weights: the eye tells greens apart best and blues worst.
float distance(const Rgb& a, const std::array<uint8_t, 3>& b) {
  const float dr = a.r - b[0];
  const float dg = a.g - b[1];
  const float db = a.b - b[2];
  return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

}  // namespace

PngImage Canvas::quantize(float dither, int avoid, bool transparentBackground, const Rgb& background) const {
  static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  std::array<std::array<uint8_t, 3>, 256> palette;
  for (int c = 0; c < 256; ++c) {
    palette[c] = ColorCoder::codeRgb(static_cast<uint8_t>(c));
  }
  PngImage image(width_, height_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const size_t i = index(x, y);
      if (coverage_[i] < 0.5f) {
        if (transparentBackground) {
          image.set(x, y, 0, 0, 0, 0);
        } else {
          image.set(x, y, static_cast<uint8_t>(background.r), static_cast<uint8_t>(background.g),
                    static_cast<uint8_t>(background.b));
        }
        continue;
      }
      const float offset = (bayer[y & 3][x & 3] / 16.0f - 0.47f) * dither;
      Rgb want = pixels_[i];
      want = {want.r + offset, want.g + offset, want.b + offset};
      int best = -1;
      float bestDistance = 0;
      for (int c = 0; c < 256; ++c) {
        if (c == avoid) {
          continue;
        }
        const float d = distance(want, palette[c]);
        if (best < 0 || d < bestDistance) {
          best = c;
          bestDistance = d;
        }
      }
      image.set(x, y, palette[best][0], palette[best][1], palette[best][2]);
    }
  }
  return image;
}
