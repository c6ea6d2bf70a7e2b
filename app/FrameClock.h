/// @file
/// The time between a game's frames and their pace.
#pragma once

#include <cstdint>

/// The time between a game's frames and their pace, from the high-resolution counter
/// (QueryPerformanceCounter). With a cap of N frames a second, frame n is due n / N seconds after
/// the first; the program waits for it in the message queue (MsgWaitForMultipleObjects), so input
/// still wakes it at once, and a virtual counter (a headless run on a fixed frame rate) jumps
/// ahead instead of being slept on.
class FrameClock {
public:
  /// The longest step a frame is given: after a stall (a breakpoint, a window being dragged) the
  /// game moves on by at most this much rather than jumping.
  static constexpr double kMaxStepSeconds = 0.25;

  FrameClock();
  FrameClock(const FrameClock&) = delete;
  FrameClock& operator=(const FrameClock&) = delete;
  virtual ~FrameClock();

  /// At most `framesPerSecond` frames a second from the next frame on; 0 for no limit.
  void setCap(int32_t framesPerSecond);
  /// The cap in frames a second; 0 for none.
  int32_t cap() const { return cap_; }
  /// Starts afresh: the next frame is due at once and its step is 0, so time spent away (an
  /// inactive window) does not move the game.
  void restart();
  /// Whether the next frame may start now.
  bool frameDue() const;
  /// Waits until the next frame is due or a message arrives, whichever comes first.
  void waitForFrame() const;
  /// A frame starts now: the seconds since the previous one started (0 for the first, at most
  /// kMaxStepSeconds); the frame after it is scheduled.
  double beginFrame();

private:
  int64_t now() const;

  int64_t frequency_ = 1;  ///< counter ticks a second
  int32_t cap_ = 0;
  bool started_ = false;
  bool timerResolutionRaised_ = false;
  int64_t lastFrame_ = 0;      ///< counter when the previous frame started
  int64_t scheduleStart_ = 0;  ///< counter when frame 0 of the schedule was due
  int64_t scheduled_ = 0;      ///< frames of the schedule begun so far
  int64_t nextDue_ = 0;        ///< counter when the next frame is due
};
