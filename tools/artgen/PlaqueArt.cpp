#include <algorithm>
#include <cmath>

#include "tools/artgen/Artwork.h"
#include "tools/artgen/Noise.h"

namespace {

constexpr int kWidth = 192;
constexpr int kHeight = 96;
constexpr float kRadius = 16;
constexpr int kFrame = 5;

const Rgb kGold{238, 188, 64};

// The title, five by seven dots a letter.
const char* const kTitle[7] = {
    "1111. 1111. 1...1 1...1 .111. 1....", "1...1 1...1 1...1 11.11 1...1 1....", "1...1 1...1 1...1 1.1.1 1...1 1....",
    "1111. 1111. 1...1 1.1.1 11111 1....", "1...1 1.1.. 1...1 1...1 1...1 1....", "1...1 1..1. 1...1 1...1 1...1 1....",
    "1111. 1...1 .111. 1...1 1...1 11111",
};

bool titleDot(int x, int y, int left, int top, int dot) {
  const int col = (x - left) / dot;
  const int row = (y - top) / dot;
  if (x < left || y < top || row >= 7 || col >= 35) {
    return false;
  }
  return kTitle[row][col] == '1';
}

// Distance inside the rounded rectangle (positive inside).
float insideDistance(float px, float py) {
  const float qx = std::max(0.0f, std::fabs(px - kWidth / 2.0f) - (kWidth / 2.0f - 1 - kRadius));
  const float qy = std::max(0.0f, std::fabs(py - kHeight / 2.0f) - (kHeight / 2.0f - 1 - kRadius));
  const float corner = kRadius - std::sqrt(qx * qx + qy * qy);
  const float sides =
      std::min(kWidth / 2.0f - 1 - std::fabs(px - kWidth / 2.0f), kHeight / 2.0f - 1 - std::fabs(py - kHeight / 2.0f));
  return (qx > 0 && qy > 0) ? corner : std::min(sides, corner);
}

// Height of the far range: four peaks and a rough edge.
float mountainTop(float x, const Noise& ridge) {
  const float peaks[4][3] = {{28, 24, 34}, {78, 34, 40}, {124, 22, 30}, {176, 30, 38}};  // x, height, half width
  float height = 0;
  for (const auto& peak : peaks) {
    height = std::max(height, peak[1] * (1 - std::fabs(x - peak[0]) / peak[2]));
  }
  return 72 - height - 4 * ridge.fractal(x / 6, 0.5f, 3);
}

Rgb sky(float x, float y, const Noise& noise) {
  Rgb c = y < 50 ? mix(Rgb{10, 14, 58}, Rgb{70, 50, 140}, y / 50)
                 : mix(Rgb{70, 50, 140}, Rgb{190, 110, 170}, (y - 50) / 30);
  // Aurora: a green curtain waving across the upper sky, streaked by the noise.
  const float centre = 30 + 9 * std::sin(x * 0.045f + 0.6f);
  const float band = std::exp(-std::pow((y - centre) / 9, 2.0f));
  const float streaks = noise.fractal(x / 5.0f, y / 40.0f, 3);
  c = mix(c, Rgb{70, 240, 160}, band * smoothstep(0.35f, 0.75f, streaks) * 0.8f);
  // Stars where the hashed noise peaks.
  const float star = noise.value(x * 1.7f + 300, y * 1.7f);
  if (star > 0.965f && y < 60) {
    c = mix(c, Rgb{255, 255, 240}, (star - 0.965f) * 30);
  }
  return c;
}

}  // namespace

Canvas paintPlaque() {
  Canvas canvas(kWidth, kHeight);
  const Noise noise(5);
  const Noise ridge(9);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const float px = x + 0.5f;
      const float py = y + 0.5f;
      const float inside = insideDistance(px, py);
      if (inside < 0) {
        continue;
      }
      Rgb c = sky(px, py, noise);

      // The moon with its halo and a few dark seas.
      const float moon = std::sqrt((px - 152) * (px - 152) + (py - 24) * (py - 24));
      c = mix(c, Rgb{255, 240, 190}, std::pow(clamp01(1 - (moon - 11) / 16), 3.0f) * 0.5f);
      if (moon < 11) {
        const float seas = noise.fractal(px / 5 + 50, py / 5, 3);
        c = mix(Rgb{252, 246, 222}, Rgb{190, 184, 170}, smoothstep(0.5f, 0.7f, seas));
      }

      // Far mountains with snowy tops, lit from the moon's side, then nearer hills.
      const float far = mountainTop(px, ridge);
      if (py > far) {
        const bool lit = mountainTop(px + 1, ridge) > far;  // the ground falls to the right
        c = py < 53 + 4 * noise.value(px / 3, 7) ? Rgb{228, 234, 255} : Rgb{92, 100, 176};
        c = scale(c, lit ? 1.05f : 0.72f);
      }
      const float near = 70 + 10 * ridge.fractal(px / 22 + 20, 3.5f, 3);
      if (py > near) {
        c = py < near + 3 ? Rgb{200, 214, 250} : Rgb{44, 52, 108};
      }

      // Pines along the foot of the hills: stacked boughs, snow on their upper edges.
      for (int t = 0; t < 9; ++t) {
        const float tx = 14 + t * 21 + 7 * std::sin(t * 3.7f);
        const float top = 60 + 8 * std::fabs(std::sin(t * 1.9f));
        const float base = 88;
        if (py > top && py < base) {
          const float depth = py - top;
          const float halfWidth = 0.2f * depth + std::fmod(depth, 7) * 0.55f;
          if (std::fabs(px - tx) < halfWidth) {
            const bool snow = std::fmod(depth, 7) < 1.5f && depth > 2;
            c = snow ? Rgb{214, 226, 252} : mix(Rgb{18, 82, 58}, Rgb{10, 44, 40}, (px - tx) / halfWidth * 0.5f + 0.5f);
          }
        }
      }
      if (py > 84 + 1.5f * std::sin(px * 0.08f)) {
        c = mix(Rgb{236, 242, 255}, Rgb{150, 170, 230}, noise.fractal(px / 10, py / 3, 2));
      }

      // Title with a drop shadow.
      if (titleDot(x - 1, y - 1, 14, 10, 2)) {
        c = Rgb{30, 16, 60};
      }
      if (titleDot(x, y, 14, 10, 2)) {
        c = mix(Rgb{255, 240, 160}, kGold, (py - 10) / 14);
      }

      // Gold frame with a bevel: bright on its outer top left, dark on its inner side.
      if (inside < kFrame) {
        const float lightSide = ((kWidth - px) / kWidth + (kHeight - py) / kHeight) / 2;
        const float across = inside / kFrame;
        c = scale(kGold, 0.55f + 0.75f * lightSide * (1 - across) + 0.25f * across);
        if (inside < 1) {
          c = scale(c, 0.7f);
        }
      }
      canvas.set(x, y, c);
    }
  }
  return canvas;
}
