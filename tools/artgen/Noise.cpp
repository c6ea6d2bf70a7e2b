#include "tools/artgen/Noise.h"

#include <cmath>

float Noise::lattice(int x, int y, int periodX, int periodY) const {
  if (periodX > 0) {
    x = ((x % periodX) + periodX) % periodX;
  }
  if (periodY > 0) {
    y = ((y % periodY) + periodY) % periodY;
  }
  uint32_t h = seed_ ^ (static_cast<uint32_t>(x) * 0x27D4EB2Du) ^ (static_cast<uint32_t>(y) * 0x165667B1u);
  h ^= h >> 15;
  h *= 0x85EBCA6Bu;
  h ^= h >> 13;
  h *= 0xC2B2AE35u;
  h ^= h >> 16;
  return static_cast<float>(h & 0xFFFFFF) / static_cast<float>(0xFFFFFF);
}

float Noise::valueAt(float x, float y, int periodX, int periodY) const {
  const float fx = std::floor(x);
  const float fy = std::floor(y);
  const int ix = static_cast<int>(fx);
  const int iy = static_cast<int>(fy);
  float tx = x - fx;
  float ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  const float a = lattice(ix, iy, periodX, periodY);
  const float b = lattice(ix + 1, iy, periodX, periodY);
  const float c = lattice(ix, iy + 1, periodX, periodY);
  const float d = lattice(ix + 1, iy + 1, periodX, periodY);
  return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float Noise::value(float x, float y) const {
  return valueAt(x, y, periodX_, periodY_);
}

float Noise::fractal(float x, float y, int octaves) const {
  float sum = 0;
  float weight = 0.5f;
  float total = 0;
  int px = periodX_;
  int py = periodY_;
  for (int i = 0; i < octaves; ++i) {
    sum += valueAt(x, y, px, py) * weight;
    total += weight;
    x *= 2;
    y *= 2;
    px *= 2;
    py *= 2;
    weight *= 0.5f;
  }
  return sum / total;
}
