#pragma once

#include <cstdint>
#include <deque>

#include <windows.h>

#include "platform/win32/Backend.h"
#include "platform/win32/InputState.h"
#include "platform/win32/TimerTable.h"

namespace platform {

// The one message queue of the process (one thread, as the programs have). Retrieval order as on
// Windows: posted messages in order, then input from the back end in order (activation and
// closing are sent to the window when their turn comes; keys and characters are returned), then
// WM_QUIT once PostQuitMessage was called, then WM_TIMER of a due timer. So the WM_CHAR that
// TranslateMessage posts for a key comes before the next key's messages.
class MessageQueue {
public:
  bool peek(MSG& message, HWND window, UINT first, UINT last, bool remove);
  // GetMessageA: blocks until a message passes the filter; false for WM_QUIT.
  bool get(MSG& message, HWND window, UINT first, UINT last);
  // WaitMessage: returns once input arrived, a message was posted or a timer is due.
  void wait();
  // MsgWaitForMultipleObjects on the queue alone: as wait, but for at most `milliseconds`
  // (INFINITE: no limit); false when that time passed with nothing to do.
  bool waitFor(DWORD milliseconds);

  // Keys and mouse buttons as the input messages taken so far left them.
  const InputState& inputState() const { return inputState_; }

  void post(HWND window, UINT messageId, WPARAM wParam, LPARAM lParam);
  void postQuit(int exitCode);

  // The character TranslateMessage should post for a WM_KEYDOWN just taken from the queue.
  uint32_t characterOfKey(const MSG& keyDown) const;

  TimerTable& timers() { return timers_; }
  void forgetWindow(HWND window);
  void reset();

private:
  void pumpInput();
  // Activation and closing: sent to the window.
  void deliver(const BackendEvent& event);
  // Keys, characters and the mouse: the message they make; false for events that make none.
  bool messageOf(const BackendEvent& event, MSG& message, uint32_t& character) const;
  // Waits for input until the next timer is due or `deadline` (clock ticks, -1: none) comes,
  // whichever is first; a virtual clock jumps there instead. True when input arrived or a timer
  // is due.
  bool waitForInput(int64_t deadline);
  // Waits as waitForInput unless there is work already, then hands over what is sent rather than
  // posted; true when there is something to do.
  bool waitUntil(int64_t deadline);
  bool hasWork(int64_t nowTicks) const;
  static bool passes(const MSG& message, HWND window, UINT first, UINT last);

  std::deque<MSG> posted_;
  std::deque<BackendEvent> input_;
  TimerTable timers_;
  InputState inputState_;
  bool quitPosted_ = false;
  int quitCode_ = 0;
  uint32_t lastKey_ = 0;
  uint32_t lastKeyCharacter_ = 0;
};

MessageQueue& messageQueue();

}  // namespace platform
