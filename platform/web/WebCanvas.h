// The page's <canvas>: RGB565 pictures converted to the canvas's RGBA bytes and drawn, the canvas
// taking each picture's size (the page scales it to the window with crisp pixels).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32/Backend.h"

class WebCanvas {
public:
  // `frame`: a rendered frame rather than text or a fill straight on the screen.
  void draw(const platform::Picture& picture, bool frame);

  // One row: the 8-bit channels widened by repeating their top bits, bytes R, G, B, A = 255.
  static void convertRow(const uint16_t* pixels, int width, uint8_t* rgba);

private:
  std::vector<uint8_t> rgba_;
};
