#include <algorithm>
#include <cmath>

#include "tools/artgen/Artwork.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 112;

const Rgb kRobe{78, 52, 168};
const Rgb kRobeDark{40, 26, 104};
const Rgb kGold{240, 190, 70};
const Rgb kSkin{238, 186, 148};
const Rgb kBeard{226, 226, 236};
const Rgb kWood{146, 94, 44};
const Rgb kCrystal{140, 240, 255};

float length(float x, float y) {
  return std::sqrt(x * x + y * y);
}

// Distance from (px, py) to the segment (ax, ay)-(bx, by).
float segmentDistance(float px, float py, float ax, float ay, float bx, float by) {
  const float dx = bx - ax;
  const float dy = by - ay;
  const float t = clamp01(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy));
  return length(px - ax - t * dx, py - ay - t * dy);
}

// Light comes from the upper left: the left part of a shape of the given extent is brighter.
Rgb lit(const Rgb& base, float across) {
  return scale(base, 1.25f - 0.55f * clamp01(across));
}

}  // namespace

Canvas paintRole() {
  Canvas canvas(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const float px = x + 0.5f;
      const float py = y + 0.5f;
      Rgb c;
      bool painted = false;
      auto paint = [&](const Rgb& color) {
        c = color;
        painted = true;
      };

      // Robe: a bell from the shoulders down, trailing to the right as he walks left.
      if (py > 30 && py < 104 + 1.5f * std::sin(px * 0.7f)) {
        const float t = (py - 30) / 74;
        const float left = 31 - 5 - 11 * t;
        const float right = 31 + 6 + 17 * t;
        if (px > left && px < right) {
          const float across = (px - left) / (right - left);
          Rgb robe = lit(mix(kRobe, kRobeDark, t * 0.6f), across);
          // Folds: soft vertical bands that widen towards the hem.
          robe = scale(robe, 0.9f + 0.12f * std::sin(across * 18 + t * 3));
          paint(robe);
          if (py > 98 + 1.5f * std::sin(px * 0.7f)) {
            paint(lit(kGold, across));  // embroidered hem
          }
          if (px < left + 7 && py > 44) {
            paint(lit(Rgb{186, 40, 60}, (px - left) / 7));  // tunic under the open robe
          }
          if (py > 62 && py < 66) {
            paint(lit(kGold, across));  // belt
          }
        }
      }
      // Boots below the hem.
      for (float bootX : {25.0f, 36.0f}) {
        if (std::fabs(px - bootX) < 4 && py > 101 && py < 110) {
          paint(lit(Rgb{96, 56, 32}, (px - bootX + 4) / 8));
        }
      }

      // Staff, a crystal on top.
      if (px > 12 && px < 15.5f && py > 20 && py < 111) {
        paint(px < 13.5f ? Rgb{196, 140, 80} : kWood);
      }
      const float crystal = std::fabs(px - 13.75f) / 4.5f + std::fabs(py - 13) / 8.0f;
      if (crystal < 1) {
        paint(mix(Rgb{255, 255, 255}, kCrystal, std::min(1.0f, crystal * 1.6f)));
        if (px > 13.75f && crystal > 0.45f) {
          c = scale(c, 0.7f);
        }
      }

      // Sleeve from the shoulder to the hand on the staff.
      if (segmentDistance(px, py, 31, 40, 17, 58) < 4.2f) {
        paint(lit(kRobe, (px - 14) / 20));
        if (segmentDistance(px, py, 31, 40, 17, 58) > 3.2f && py > 50) {
          paint(kGold);  // cuff trim
        }
      }
      if (length(px - 15, py - 59) < 3.3f) {
        paint(lit(kSkin, (px - 12) / 6));
      }

      // Head: face, beard, and a pointed hat with a wide brim.
      if (length(px - 29, py - 25) < 6.5f) {
        paint(lit(kSkin, (px - 23) / 13));
      }
      if (std::fabs(px - 24.5f) < 1 && std::fabs(py - 24.5f) < 1) {
        paint(Rgb{40, 24, 60});  // eye
      }
      const float beard = length((px - 28.5f) / 6.5f, (py - 31) / 7.5f);
      if (beard < 1 && py > 27) {
        paint(lit(kBeard, (px - 22) / 13));
      }
      const float brim = length((px - 32) / 15, (py - 18) / 3);
      if (brim < 1) {
        paint(lit(mix(kRobe, kRobeDark, 0.3f), (px - 17) / 30));
      }
      if (py > 1 && py < 18) {
        // The cone leans back: its tip at (44, 1), its base from x 22 to 42.
        const float t = (18 - py) / 17;
        const float left = 22 + 21 * t;
        const float right = 42 + 2 * t;
        if (px > left && px < right) {
          paint(lit(kRobe, (px - left) / std::max(1.0f, right - left)));
          if (py > 14) {
            paint(lit(kGold, (px - left) / (right - left)));  // hat band
          }
        }
      }
      // A gold star on the hat.
      const float sx = px - 33.5f;
      const float sy = py - 9.5f;
      if ((std::fabs(sx) < 0.6f && std::fabs(sy) < 2.2f) || (std::fabs(sy) < 0.6f && std::fabs(sx) < 2.2f)) {
        paint(Rgb{255, 236, 140});
      }

      if (painted) {
        canvas.set(x, y, c);
      }
    }
  }
  canvas.outline(Rgb{36, 18, 58});

  // The crystal's glow lights the empty air round it; added to the scene it shines.
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 32; ++x) {
      const float d = length(x + 0.5f - 13.75f, y + 0.5f - 13);
      const float glow = std::pow(clamp01(1 - d / 13), 2.0f);
      if (canvas.coverage(x, y) < 0.5f && glow > 0.06f) {
        canvas.set(x, y, scale(Rgb{70, 190, 255}, glow * 0.9f + 0.1f));
      }
    }
  }
  return canvas;
}
