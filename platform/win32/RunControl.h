#pragma once

#include <cstdint>

namespace platform {

// Frames presented by the program, and the end of a run after a set number of them.
class RunControl {
public:
  void onFrame();
  uint64_t frames() const { return frames_; }
  void endAfterFrames(uint64_t frames) { limit_ = frames; }
  void reset();

private:
  uint64_t frames_ = 0;
  uint64_t limit_ = 0;
};

RunControl& runControl();

}  // namespace platform
