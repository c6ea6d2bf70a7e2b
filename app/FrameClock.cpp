#include "app/FrameClock.h"

#include <windows.h>

FrameClock::FrameClock() {
  LARGE_INTEGER frequency;
  if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0) frequency_ = frequency.QuadPart;
}

FrameClock::~FrameClock() {
  if (timerResolutionRaised_) timeEndPeriod(1);
}

int64_t FrameClock::now() const {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return counter.QuadPart;
}

void FrameClock::setCap(int32_t framesPerSecond) {
  cap_ = framesPerSecond > 0 ? framesPerSecond : 0;
  // Windows wakes waiting threads on its 15.6 ms tick unless asked for a finer one; a 60 Hz cap
  // needs 1 ms.
  if (cap_ > 0 && !timerResolutionRaised_) timerResolutionRaised_ = timeBeginPeriod(1) == TIMERR_NOERROR;
  scheduleStart_ = lastFrame_;
  scheduled_ = 0;
  nextDue_ = started_ && cap_ > 0 ? lastFrame_ + frequency_ / cap_ : 0;
}

void FrameClock::restart() {
  started_ = false;
}

bool FrameClock::frameDue() const {
  return cap_ == 0 || !started_ || now() >= nextDue_;
}

void FrameClock::waitForFrame() const {
  if (cap_ == 0 || !started_) return;
  const int64_t remaining = nextDue_ - now();
  if (remaining <= 0) return;
  // Rounded up, so that the frame is due when the wait times out.
  const int64_t milliseconds = (remaining * 1000 + frequency_ - 1) / frequency_;
  MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(milliseconds), QS_ALLINPUT);
}

double FrameClock::beginFrame() {
  const int64_t frameStart = now();
  double step = 0;
  if (started_) {
    step = static_cast<double>(frameStart - lastFrame_) / static_cast<double>(frequency_);
    if (step > kMaxStepSeconds) step = kMaxStepSeconds;
  } else {
    scheduleStart_ = frameStart;
    scheduled_ = 0;
  }
  started_ = true;
  lastFrame_ = frameStart;
  if (cap_ == 0) return step;
  // Each frame's time comes from the count, so that N frames take exactly one second however
  // the period rounds.
  ++scheduled_;
  nextDue_ = scheduleStart_ + scheduled_ * frequency_ / cap_;
  if (nextDue_ <= frameStart) {
    // A whole frame late: start the schedule again here rather than rush to catch up.
    scheduleStart_ = frameStart;
    scheduled_ = 1;
    nextDue_ = frameStart + frequency_ / cap_;
  }
  return step;
}
