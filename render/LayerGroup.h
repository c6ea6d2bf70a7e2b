/// @file
/// A layer group: four lists of render nodes.
#pragma once

#include <cstdint>

class Display;
class RenderNode;

/// Four intrusive doubly linked lists of render nodes, each between a head and a tail sentinel,
/// plus a visible flag. The group owns its sentinels and every node appended to it.
class LayerGroup {
public:
  static constexpr int32_t kListCount = 4;  ///< lists per group

  LayerGroup();
  virtual ~LayerGroup();

  LayerGroup(const LayerGroup&) = delete;
  LayerGroup& operator=(const LayerGroup&) = delete;

  /// Links node at the end of list node->listIndex and takes ownership of it; returns node.
  /// Returns null and leaves node with the caller when the node cannot be linked: a null node,
  /// a list index outside 0 to 3, or a group whose sentinels could not be allocated.
  RenderNode* append(RenderNode* node);

  /// Draws every node of the four lists in order, if the group is visible. The successor is
  /// read before a node draws, so a node's draw never has its own links read after it.
  void draw(Display& display);

  RenderNode* heads[kListCount];  ///< each list's head sentinel; all null when any could not be allocated
  RenderNode* tails[kListCount];  ///< each list's tail sentinel
  bool visible;                   ///< whether draw draws the group
};
