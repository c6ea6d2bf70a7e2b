/// @file
/// The base of everything a layer group draws.
#pragma once

#include <cstdint>

class Display;

/// Anything drawn each frame: a node of one of a layer group's intrusive lists. A plain node draws
/// nothing; the groups use plain nodes as the sentinels that delimit their lists.
class RenderNode {
public:
  RenderNode();
  virtual ~RenderNode();
  /// Draws the node into the display's back buffer; a plain node draws nothing.
  virtual void draw(Display& display);

  /// Linked into a list by address: a copy would share the links of the original.
  RenderNode(const RenderNode&) = delete;
  RenderNode& operator=(const RenderNode&) = delete;

  int32_t listIndex;  ///< which of the group's four lists the node goes to, 0 to 3
  RenderNode* next;   ///< the following node of the list, null when unlinked
  RenderNode* prev;   ///< the preceding node of the list, null when unlinked
};
