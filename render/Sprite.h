/// @file
/// Sprites: BDI images drawn with a blend mode.
#pragma once

#include "render/BlendModes.h"
#include "render/RenderNode.h"

#include <cstdint>
#include <string>

class Display;
class FileLoader;

/// A rectangle of pixels; right and bottom are exclusive.
struct Rect {
  int32_t left;    ///< first column
  int32_t top;     ///< first row
  int32_t right;   ///< column after the last
  int32_t bottom;  ///< row after the last
};

/// A render node that owns one decoded BDI image of colour codes and draws a rectangle of it into
/// the back buffer at (x, y) with one of the blend modes. The owner rewrites x, y, blendMode and
/// blendParam before each frame.
class Sprite : public RenderNode {
public:
  Sprite();
  ~Sprite() override;

  /// Reads, checks and decodes a BDI file into the pixel block. On success the source rectangle
  /// becomes the whole image. Refusals are reported by the result only.
  bool load(FileLoader& loader, const std::string& name);
  /// Null selects the whole image; otherwise the rectangle is clamped to the image.
  void setSourceRect(const Rect* rect);
  /// The key becomes the colour code nearest to the RGB colour (each channel 0 to 255).
  void setColorKey(uint32_t red, uint32_t green, uint32_t blue);
  /// Clips the source rectangle against the back buffer and blends it with blendMode.
  void draw(Display& display) override;

  /// @{

  /// The per-mode routines: dst is the first back-buffer byte to write, dstStride the back
  /// buffer's row stride, src the first image byte to read, width x height the clipped
  /// rectangle. The source stride and the key come from the sprite. Nothing is written when
  /// the width or the height is 0 or less.
  void drawCopy(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h);
  void drawCopyKeyed(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h);
  void drawCopyGuarded(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h, uint8_t guard);
  void drawAlpha(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h, int32_t level);
  void drawAlphaKeyed(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h, int32_t level);
  void drawAlphaGuarded(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h, int32_t level,
                        uint8_t guard);
  void drawAdd(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h);
  void drawAddKeyed(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h);
  void drawAddGuarded(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h, uint8_t guard);
  void drawSub(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h);
  void drawSubKeyed(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h);
  void drawSubGuarded(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h, uint8_t guard);
  void drawGrey(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h);
  void drawGreyKeyed(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h);
  void drawGreyGuarded(uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h, uint8_t guard);
  /// @}

  int32_t x;           ///< back-buffer column of the source rectangle's left edge
  int32_t y;           ///< back-buffer row of the source rectangle's top edge
  int32_t blendMode;   ///< a BlendMode; a number without a routine draws nothing
  int32_t blendParam;  ///< bits 0-3 alpha level, bits 8-15 guard colour code
  Rect sourceRect;     ///< the part of the image drawn, inside the image
  uint32_t header[4];  ///< the first 16 bytes of the last file load looked at, as stored
  int32_t width;       ///< the image's width in pixels, also its row stride
  int32_t height;      ///< the image's height in rows
  uint8_t* pixels;     ///< height rows of width codes; owned, may be null
  uint8_t colorKey;    ///< the code the keyed modes leave transparent (255 until set)

private:
  /// Runs the routine of mode on one clipped rectangle with this sprite's stride and key.
  void run(int32_t mode, uint8_t* dst, int32_t dstStride, const uint8_t* src, int32_t w, int32_t h, int32_t level,
           uint8_t guard) const;
};
