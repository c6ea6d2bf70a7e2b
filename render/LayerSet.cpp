#include "render/LayerSet.h"

LayerSet::LayerSet() {}

LayerSet::~LayerSet() {}

void LayerSet::draw(Display& display) {
  for (LayerGroup& group : groups) {
    group.draw(display);
  }
}
