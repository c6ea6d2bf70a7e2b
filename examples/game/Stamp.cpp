#include "Stamp.h"

#include <brumal/render/Sprite.h>

Stamp::Stamp(Sprite& picture, int32_t blendMode, int32_t blendParam)
    : picture(picture), blendMode(blendMode), blendParam(blendParam) {}

void Stamp::draw(Display& display) {
  if (!shown) return;
  picture.x = x;
  picture.y = y;
  picture.blendMode = blendMode;
  picture.blendParam = blendParam;
  picture.draw(display);
}
