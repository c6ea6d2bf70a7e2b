#pragma once

#include <cstdint>

// Smooth value noise in 0..1 on an integer lattice, optionally repeating every periodX and
// periodY lattice cells (0: no repetition), so tiles and animation loops join seamlessly.
class Noise {
public:
  explicit Noise(uint32_t seed, int periodX = 0, int periodY = 0) : seed_(seed), periodX_(periodX), periodY_(periodY) {}

  float value(float x, float y) const;
  // Sum of octaves, each at twice the frequency and half the weight of the one before; periods
  // double with the frequency, so the sum repeats like the first octave.
  float fractal(float x, float y, int octaves) const;

private:
  float lattice(int x, int y, int periodX, int periodY) const;
  float valueAt(float x, float y, int periodX, int periodY) const;

  uint32_t seed_;
  int periodX_;
  int periodY_;
};
