/// @file
/// The four layer groups a frame draws.
#pragma once

#include "render/LayerGroup.h"

#include <cstdint>

class Display;

/// The program's four layer groups: group 0 is painted first (bottom), group 3 last (top).
/// Members are destroyed in reverse order, so group 3 goes first.
class LayerSet {
public:
  static constexpr int32_t kGroupCount = 4;  ///< groups in the set

  LayerSet();
  virtual ~LayerSet();

  /// One frame's walk: every visible group in order 0 to 3.
  void draw(Display& display);

  LayerGroup groups[kGroupCount];  ///< bottom (0) to top (3)
};
