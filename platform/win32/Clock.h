#pragma once

#include <cstdint>

#include "platform/win32/Backend.h"

namespace platform {

// The counter behind QueryPerformanceCounter and the timers: 10 MHz, either the monotonic system
// clock or a virtual one that moves only when told (tests, --fixed-fps).
class Clock {
public:
  static constexpr int64_t kFrequency = BackendHost::kClockFrequency;
  static constexpr int64_t kTicksPerMillisecond = kFrequency / 1000;

  int64_t now() const;
  int64_t milliseconds() const { return now() / kTicksPerMillisecond; }

  bool isVirtual() const { return virtual_; }
  void useRealTime();
  void useVirtual(int64_t startTicks);
  // Moves a virtual clock forward; a real one ignores it.
  void advance(int64_t ticks);
  // Moves a virtual clock to `ticks` when that is later than now.
  void advanceTo(int64_t ticks);

  // Fixed frame rate: a virtual clock that shows frame n at start + n / framesPerSecond seconds.
  void setFixedFrameRate(int framesPerSecond);
  void onFramePresented();

private:
  bool virtual_ = false;
  int64_t virtualTicks_ = 0;
  int fixedFramesPerSecond_ = 0;
  int64_t fixedStart_ = 0;
  int64_t fixedFrames_ = 0;
};

Clock& systemClock();

}  // namespace platform
