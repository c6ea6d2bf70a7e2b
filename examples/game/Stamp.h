#pragma once

#include <brumal/render/RenderNode.h>

#include <cstdint>

class Sprite;

// One copy of a picture in the scene. A Sprite is one image at one place; a stamp borrows a
// sprite's pixels, so any number of floor tiles or gems share one loaded image. A layer group
// owns its stamps (they are created with new); the sprite must outlive the group.
class Stamp : public RenderNode {
public:
  Stamp(Sprite& picture, int32_t blendMode, int32_t blendParam = 0);

  // Puts the sprite here with this stamp's blending and draws it, unless the stamp is hidden.
  void draw(Display& display) override;

  Sprite& picture;
  int32_t x = 0;
  int32_t y = 0;
  int32_t blendMode;
  int32_t blendParam;
  bool shown = true;
};
