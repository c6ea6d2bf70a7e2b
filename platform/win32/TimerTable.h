#pragma once

#include <cstdint>
#include <vector>

#include <windows.h>

namespace platform {

// The timers of SetTimer, each of a window. As on Windows a timer never queues messages: when the
// queue has nothing else, a due timer gives one WM_TIMER however many periods have passed, and
// its next period starts when that message is taken from the queue.
class TimerTable {
public:
  // Returns the timer's identifier (1 for an identifier of 0).
  UINT_PTR set(HWND window, UINT_PTR id, UINT elapseMs, int64_t nowTicks);
  bool kill(HWND window, UINT_PTR id);
  void killAllOf(HWND window);

  // The due timer with the earliest due time whose window passes the filter (null: any window).
  // When found, fills `message`; when `remove` is set, the timer's next period starts now.
  bool takeDue(HWND filter, int64_t nowTicks, bool remove, MSG& message);
  // The earliest due time, or -1 when there are no timers.
  int64_t nextDue() const;
  void clear() { timers_.clear(); }

private:
  struct Timer {
    HWND window;
    UINT_PTR id;
    int64_t periodTicks;
    int64_t dueTicks;
  };
  std::vector<Timer> timers_;
};

}  // namespace platform
