#pragma once

#include <array>
#include <cstdint>
#include <vector>

class PngImage;

// Turns RGBA pixels into the engine's colour codes and codes back into the RGB that the display
// shows for them. Code c is shown as the RGB565 word c * 0x101; an RGB pixel becomes the code
// nearest to its RGB565 word (nearestColorCode).
//
// With a key code set, keyed pixels (fully transparent ones, and those of the key colour when one
// is chosen) become the key code, and no other pixel may: a pixel whose nearest code is the key
// code takes the nearest other code instead, so the sprite's shape is exactly the keyed area.
class ColorCoder {
public:
  // The colour the display shows for code: its word c * 0x101 with each field widened to 8 bits.
  static std::array<uint8_t, 3> codeRgb(uint8_t code);

  void setKeyCode(int code) { keyCode_ = code; }
  void setKeyTransparent(bool on) { keyTransparent_ = on; }
  void setKeyColor(uint8_t r, uint8_t g, uint8_t b);

  bool hasKey() const { return keyCode_ >= 0; }
  int keyCode() const { return keyCode_; }
  bool isKeyed(const uint8_t* rgba) const;
  uint8_t code(const uint8_t* rgba);
  // The codes of a whole picture, row by row.
  std::vector<uint8_t> codes(const PngImage& image);

private:
  int keyCode_ = -1;
  bool keyTransparent_ = false;
  bool hasKeyColor_ = false;
  std::array<uint8_t, 3> keyColor_{};
  // Memo of the code of each RGB565 word (-1: not computed yet).
  std::vector<int16_t> memo_ = std::vector<int16_t>(65536, -1);
};
