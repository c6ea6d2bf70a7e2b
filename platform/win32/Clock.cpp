#include "platform/win32/Clock.h"

#include <time.h>

#include <windows.h>

namespace platform {

namespace {

int64_t monotonicTicks() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * Clock::kFrequency + now.tv_nsec / 100;
}

}  // namespace

Clock& systemClock() {
  // Never destroyed: the program's static objects release DirectDraw objects after main returns.
  static auto* theClock = new Clock;
  return *theClock;
}

int64_t Clock::now() const {
  return virtual_ ? virtualTicks_ : monotonicTicks();
}

void Clock::useRealTime() {
  virtual_ = false;
  fixedFramesPerSecond_ = 0;
}

void Clock::useVirtual(int64_t startTicks) {
  virtual_ = true;
  virtualTicks_ = startTicks;
  fixedFramesPerSecond_ = 0;
}

void Clock::advance(int64_t ticks) {
  if (virtual_ && ticks > 0) virtualTicks_ += ticks;
}

void Clock::advanceTo(int64_t ticks) {
  if (virtual_ && ticks > virtualTicks_) virtualTicks_ = ticks;
}

void Clock::setFixedFrameRate(int framesPerSecond) {
  if (framesPerSecond <= 0) {
    useRealTime();
    return;
  }
  if (!virtual_) useVirtual(0);
  fixedFramesPerSecond_ = framesPerSecond;
  fixedStart_ = virtualTicks_;
  fixedFrames_ = 0;
}

void Clock::onFramePresented() {
  if (fixedFramesPerSecond_ <= 0) return;
  ++fixedFrames_;
  // From the frame count, not by adding a rounded step, so 60 frames make exactly one second.
  advanceTo(fixedStart_ + fixedFrames_ * kFrequency / fixedFramesPerSecond_);
}

}  // namespace platform

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount) {
  if (!lpPerformanceCount) return FALSE;
  lpPerformanceCount->QuadPart = platform::systemClock().now();
  return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency) {
  if (!lpFrequency) return FALSE;
  lpFrequency->QuadPart = platform::Clock::kFrequency;
  return TRUE;
}

MMRESULT WINAPI timeBeginPeriod(UINT uPeriod) {
  return uPeriod == 0 ? TIMERR_NOCANDO : TIMERR_NOERROR;
}

MMRESULT WINAPI timeEndPeriod(UINT uPeriod) {
  return uPeriod == 0 ? TIMERR_NOCANDO : TIMERR_NOERROR;
}
