#pragma once

#include <array>
#include <cstdint>
#include <vector>

// The colour codes as a palette searched by how alike colours look: the display colours of the
// 256 codes are fixed and unevenly spread (each red level brings its own band of blue), so the
// code nearest in plain RGB is not always the one that looks nearest. Distances are the "redmean"
// weighting of RGB: green differences weigh 4, red ones 2 to 3 and blue ones 3 to 2 as the pair
// of colours goes from dark to full red, the way the eye's sensitivity shifts.
class PerceptualPalette {
public:
  using Rgb = std::array<uint8_t, 3>;

  PerceptualPalette();

  // Leaves one code out of every search (a key code, which only keyed pixels may take).
  void avoid(uint8_t code);
  // The code whose display colour looks nearest to rgb; ties go to the lowest code.
  uint8_t nearest(const Rgb& rgb);

  // How unlike two colours look (only the order of distances means anything).
  static uint32_t distance(const Rgb& a, const Rgb& b);

private:
  uint8_t search(const Rgb& rgb) const;

  std::array<Rgb, 256> shown_{};
  int avoided_ = -1;
  // Recent answers by RGB888 colour, direct-mapped: entry = colour << 8 | code, or ~0 when empty.
  std::vector<uint32_t> memo_;
};
