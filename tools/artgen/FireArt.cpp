#include <cmath>

#include "tools/artgen/Artwork.h"
#include "tools/artgen/Noise.h"

namespace {

constexpr int kFrames = 8;
constexpr int kFrameWidth = 32;
constexpr int kHeight = 128;
constexpr int kNoisePeriod = 4;  // noise cells the flame rises through in one loop of 8 frames

// Black through red, orange and yellow to white.
Rgb flameColor(float heat) {
  static const Rgb stops[] = {{0, 0, 0}, {110, 12, 0}, {210, 36, 0}, {250, 120, 12}, {255, 206, 50}, {255, 250, 210}};
  const float scaled = clamp01(heat) * 5;
  const int i = std::min(4, static_cast<int>(scaled));
  return mix(stops[i], stops[i + 1], scaled - i);
}

}  // namespace

Canvas paintFire() {
  Canvas canvas(kFrames * kFrameWidth, kHeight);
  const Noise noise(7, 0, kNoisePeriod);
  for (int frame = 0; frame < kFrames; ++frame) {
    const float rise = static_cast<float>(frame) / kFrames * kNoisePeriod;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kFrameWidth; ++x) {
        // Noise cells are 9 px high; rows scroll up by one loop's rise over the 8 frames, and
        // the noise repeats after kNoisePeriod cells, so frame 7 runs on into frame 0.
        const float n = noise.fractal(x / 7.0f, y / 9.0f + rise, 4);
        const float tongues = noise.fractal(x / 4.0f + 40, y / 5.0f + rise * 2, 3);
        const float v = (kHeight - 0.5f - y) / kHeight;  // 0 at the bottom, 1 at the top
        const float u = (x + 0.5f - kFrameWidth / 2.0f) / (kFrameWidth / 2.0f);
        const float sway = u + (n - 0.5f) * 1.1f * v;
        // A teardrop: rounded at the foot, widest low down, drawn out to a point.
        const float width = (0.92f * std::pow(1 - v, 0.5f) + 0.03f) * (0.55f + 0.45f * smoothstep(0.0f, 0.16f, v));
        const float body = clamp01(1 - std::fabs(sway) / width);
        float heat = std::pow(body, 0.6f) * (1.3f - 1.25f * v) + (n - 0.5f) * 0.9f * std::sqrt(v);
        heat -= (1 - tongues) * 0.55f * v;                  // flickering tongues at the top
        heat += smoothstep(0.12f, 0.0f, v) * body * 0.35f;  // the glowing bed at the foot
        heat *= std::sqrt(body);
        canvas.set(frame * kFrameWidth + x, y, flameColor(heat));
      }
    }
    // Sparks rise 16 px a frame, so each returns to its place after the eight frames.
    for (int k = 0; k < 5; ++k) {
      const float start = std::fmod(37.0f * k + 11, kHeight);
      const int sy = static_cast<int>(std::fmod(start - frame * 16 + 2 * kHeight, kHeight));
      const int sx = frame * kFrameWidth + 16 + static_cast<int>(9 * std::sin(k * 2.1f + sy * 0.05f));
      if (sy > 70) {
        continue;  // sparks show above the flame's body
      }
      canvas.set(sx, sy, Rgb{255, 230, 120});
      canvas.set(sx, sy + 1, Rgb{200, 80, 10});
    }
  }
  return canvas;
}
