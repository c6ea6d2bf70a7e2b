#include "render/LayerGroup.h"

#include "render/RenderNode.h"

#include <new>

LayerGroup::LayerGroup() : visible(true) {
  bool complete = true;
  for (int32_t i = 0; i < kListCount; ++i) {
    heads[i] = new (std::nothrow) RenderNode;
    tails[i] = new (std::nothrow) RenderNode;
    if (!heads[i] || !tails[i]) {
      complete = false;
      continue;
    }
    heads[i]->next = tails[i];
    tails[i]->prev = heads[i];
  }
  if (complete) {
    return;
  }
  // A group missing any sentinel is unusable: keep none, so append refuses every node and the
  // walks see only empty lists.
  for (int32_t i = 0; i < kListCount; ++i) {
    delete heads[i];
    delete tails[i];
    heads[i] = nullptr;
    tails[i] = nullptr;
  }
}

LayerGroup::~LayerGroup() {
  for (int32_t i = 0; i < kListCount; ++i) {
    RenderNode* node = heads[i];
    while (node) {
      RenderNode* following = node->next;
      delete node;
      node = following;
    }
    heads[i] = nullptr;
    tails[i] = nullptr;
  }
}

RenderNode* LayerGroup::append(RenderNode* node) {
  if (!node || node->listIndex < 0 || node->listIndex >= kListCount) {
    return nullptr;
  }
  RenderNode* tail = tails[node->listIndex];
  if (!tail) {
    return nullptr;
  }
  node->prev = tail->prev;
  tail->prev->next = node;
  tail->prev = node;
  node->next = tail;
  return node;
}

void LayerGroup::draw(Display& display) {
  if (!visible) {
    return;
  }
  for (int32_t i = 0; i < kListCount; ++i) {
    if (!heads[i]) {
      continue;
    }
    RenderNode* node = heads[i]->next;
    while (node != tails[i]) {
      RenderNode* following = node->next;
      node->draw(display);
      node = following;
    }
  }
}
