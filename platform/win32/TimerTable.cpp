#include "platform/win32/TimerTable.h"

#include "platform/win32/Clock.h"

namespace platform {

UINT_PTR TimerTable::set(HWND window, UINT_PTR id, UINT elapseMs, int64_t nowTicks) {
  if (elapseMs < USER_TIMER_MINIMUM) elapseMs = USER_TIMER_MINIMUM;
  if (elapseMs > USER_TIMER_MAXIMUM) elapseMs = USER_TIMER_MAXIMUM;
  int64_t period = static_cast<int64_t>(elapseMs) * Clock::kTicksPerMillisecond;
  for (Timer& timer : timers_) {
    if (timer.window == window && timer.id == id) {
      timer.periodTicks = period;
      timer.dueTicks = nowTicks + period;
      return id ? id : 1;
    }
  }
  timers_.push_back(Timer{window, id, period, nowTicks + period});
  return id ? id : 1;
}

bool TimerTable::kill(HWND window, UINT_PTR id) {
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->window == window && it->id == id) {
      timers_.erase(it);
      return true;
    }
  }
  return false;
}

void TimerTable::killAllOf(HWND window) {
  for (size_t i = timers_.size(); i-- > 0;) {
    if (timers_[i].window == window) timers_.erase(timers_.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

bool TimerTable::takeDue(HWND filter, int64_t nowTicks, bool remove, MSG& message) {
  Timer* earliest = nullptr;
  for (Timer& timer : timers_) {
    if (timer.dueTicks > nowTicks) continue;
    if (filter && timer.window != filter) continue;
    if (!earliest || timer.dueTicks < earliest->dueTicks) earliest = &timer;
  }
  if (!earliest) return false;
  message = MSG{};
  message.hwnd = earliest->window;
  message.message = WM_TIMER;
  message.wParam = earliest->id;
  message.lParam = 0;
  message.time = static_cast<DWORD>(nowTicks / Clock::kTicksPerMillisecond);
  if (remove) earliest->dueTicks = nowTicks + earliest->periodTicks;
  return true;
}

int64_t TimerTable::nextDue() const {
  int64_t next = -1;
  for (const Timer& timer : timers_) {
    if (next < 0 || timer.dueTicks < next) next = timer.dueTicks;
  }
  return next;
}

}  // namespace platform
