#include <algorithm>
#include <cmath>

#include "tools/artgen/Artwork.h"
#include "tools/artgen/Noise.h"

namespace {

constexpr int kSize = 128;
const Rgb kGold{236, 184, 60};
const Rgb kDeepBlue{18, 44, 140};
const Rgb kBlue{40, 100, 200};
const Rgb kCream{238, 226, 196};
const Rgb kCrimson{196, 34, 52};

// Signed distance to the eight-pointed star made of a square and the same square turned by 45
// degrees (negative inside).
float starDistance(float u, float v, float half) {
  const float square = std::max(std::fabs(u), std::fabs(v)) - half;
  const float turned = (std::fabs(u) + std::fabs(v)) / std::sqrt(2.0f) - half;
  return std::min(square, turned);
}

}  // namespace

Canvas paintTile() {
  Canvas canvas(kSize, kSize);
  const Noise glaze(11, 8, 8);
  const Noise crackle(23, 16, 16);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const float u = (x + 0.5f) / kSize * 2 - 1;
      const float v = (y + 0.5f) / kSize * 2 - 1;
      const float n = glaze.fractal(x / 16.0f, y / 16.0f, 4);

      // Blue glaze, pooled darker in the noise's valleys, with fine crackle lines.
      Rgb c = mix(kDeepBlue, kBlue, smoothstep(0.3f, 0.75f, n));
      const float crack = std::fabs(crackle.fractal(x / 8.0f, y / 8.0f, 2) - 0.5f);
      c = scale(c, 1.0f - 0.35f * (1 - smoothstep(0.0f, 0.025f, crack)));

      // Corner quarter circles: teal, ringed with gold, so that laid tiles form whole circles.
      const float cu = 1 - std::fabs(u);
      const float cv = 1 - std::fabs(v);
      const float corner = std::sqrt(cu * cu + cv * cv);
      if (corner < 0.42f) {
        c = mix(Rgb{20, 150, 160}, Rgb{120, 220, 200}, smoothstep(0.42f, 0.1f, corner) * n);
      }
      if (std::fabs(corner - 0.42f) < 0.035f) {
        c = scale(kGold, 0.8f + 0.4f * n);
      }

      // The star: cream inside, a gold rim, crimson petals round a gold heart.
      const float star = starDistance(u, v, 0.5f);
      if (star < 0) {
        const float r = std::sqrt(u * u + v * v);
        const float angle = std::atan2(v, u);
        c = mix(kCream, Rgb{200, 190, 170}, r);
        const float petal = 0.36f * (0.55f + 0.45f * std::fabs(std::cos(4 * angle)));
        if (r < petal) {
          c = mix(kCrimson, Rgb{250, 110, 90}, smoothstep(petal, 0.0f, r));
        }
        if (r < 0.11f) {
          c = scale(kGold, 1.1f - r * 3);
        }
      }
      if (std::fabs(star) < 0.035f) {
        c = scale(kGold, 0.75f + 0.5f * n);
      }

      // A gold frame line, and a bevel lit from the top left.
      const int edge = std::min(std::min(x, y), std::min(kSize - 1 - x, kSize - 1 - y));
      if (edge == 7 || edge == 8) {
        c = kGold;
      }
      if (edge < 5) {
        const bool lit = x == edge || y == edge;  // nearest to the top or left side
        c = scale(Rgb{65, 125, 215}, lit ? 1.45f : 0.5f);
      }

      // Glossy light falling from the top left corner.
      const float gloss = smoothstep(0.5f, -0.9f, (u + v) * 0.7f) * 0.25f;
      c = mix(c, Rgb{255, 255, 255}, gloss);
      canvas.set(x, y, c);
    }
  }
  return canvas;
}
