#include "platform/win32/MessageQueue.h"

#include "platform/win32/Clock.h"
#include "platform/win32/WindowManager.h"

namespace platform {

namespace {

// The character a key types with no modifier held, for keys posted without one.
uint32_t defaultCharacter(uint32_t key) {
  if (key >= '0' && key <= '9') return key;
  if (key >= 'A' && key <= 'Z') return key - 'A' + 'a';
  switch (key) {
    case VK_ESCAPE:
    case VK_BACK:
    case VK_TAB:
    case VK_RETURN:
    case VK_SPACE:
      return key;
    default:
      return 0;
  }
}

DWORD tickNow() {
  return static_cast<DWORD>(systemClock().milliseconds());
}

UINT buttonMessage(BackendEvent::Button button, bool down) {
  switch (button) {
    case BackendEvent::Button::Right:
      return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case BackendEvent::Button::Middle:
      return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    default:
      return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
  }
}

// Whether a message id lies in a filter's range; 0 to 0 takes every message.
bool inRange(UINT id, UINT first, UINT last) {
  return (first == 0 && last == 0) || (id >= first && id <= last);
}

bool isMove(const BackendEvent& event) {
  return event.type == BackendEvent::Type::MouseMove;
}

}  // namespace

MessageQueue& messageQueue() {
  // Never destroyed: the program's static objects release DirectDraw objects after main returns.
  static auto* queue = new MessageQueue;
  return *queue;
}

bool MessageQueue::passes(const MSG& message, HWND window, UINT first, UINT last) {
  if (window == reinterpret_cast<HWND>(-1)) {
    if (message.hwnd) return false;
  } else if (window && message.hwnd != window) {
    return false;
  }
  return inRange(message.message, first, last);
}

void MessageQueue::post(HWND window, UINT messageId, WPARAM wParam, LPARAM lParam) {
  MSG message{};
  message.hwnd = window;
  message.message = messageId;
  message.wParam = wParam;
  message.lParam = lParam;
  message.time = tickNow();
  posted_.push_back(message);
}

void MessageQueue::postQuit(int exitCode) {
  quitPosted_ = true;
  quitCode_ = exitCode;
}

void MessageQueue::deliver(const BackendEvent& event) {
  WindowManager& windows = windowManager();
  if (event.type == BackendEvent::Type::Activate) {
    windows.setActive(event.active);
  } else if (event.type == BackendEvent::Type::Close) {
    HWND window = event.window ? event.window : windows.mainWindow();
    if (windows.find(window)) {
      windows.send(window, WM_CLOSE, 0, 0);
    } else {
      postQuit(0);
    }
  }
}

bool MessageQueue::messageOf(const BackendEvent& event, MSG& message, uint32_t& character) const {
  WindowManager& windows = windowManager();
  HWND window = event.window ? event.window : windows.mainWindow();
  if (!windows.find(window)) return false;
  message = MSG{};
  message.hwnd = window;
  message.time = tickNow();
  character = 0;
  switch (event.type) {
    case BackendEvent::Type::KeyDown:
      message.message = WM_KEYDOWN;
      message.wParam = event.key;
      message.lParam = inputState_.keyDownParam(event);
      character = event.character ? event.character : defaultCharacter(event.key);
      return true;
    case BackendEvent::Type::KeyUp:
      message.message = WM_KEYUP;
      message.wParam = event.key;
      message.lParam = static_cast<LPARAM>(0xC0000001u);
      return true;
    case BackendEvent::Type::Char:
      message.message = WM_CHAR;
      message.wParam = event.character;
      message.lParam = 1;
      return true;
    case BackendEvent::Type::MouseMove:
    case BackendEvent::Type::MouseDown:
    case BackendEvent::Type::MouseUp:
      message.message =
          isMove(event) ? WM_MOUSEMOVE : buttonMessage(event.button, event.type == BackendEvent::Type::MouseDown);
      message.wParam = inputState_.mouseFlags(event);
      message.lParam = MAKELPARAM(event.x, event.y);
      message.pt = POINT{event.x, event.y};
      return true;
    default:
      return false;
  }
}

void MessageQueue::pumpInput() {
  BackendEvent event;
  while (backend().pollEvent(event)) input_.push_back(event);
}

bool MessageQueue::peek(MSG& message, HWND window, UINT first, UINT last, bool remove) {
  pumpInput();
  for (auto it = posted_.begin(); it != posted_.end(); ++it) {
    if (!passes(*it, window, first, last)) continue;
    message = *it;
    if (remove) {
      if (message.message == WM_KEYDOWN) lastKey_ = 0;  // posted by the program: no character known
      posted_.erase(it);
    }
    return true;
  }
  while (!input_.empty()) {
    BackendEvent event = input_.front();
    // Windows keeps only the latest position for a window that has not read its moves yet.
    if (isMove(event) && input_.size() > 1 && isMove(input_[1]) && input_[1].window == event.window) {
      input_.pop_front();
      continue;
    }
    MSG made;
    uint32_t character = 0;
    if (!messageOf(event, made, character)) {
      input_.pop_front();
      deliver(event);  // may post, so look at the posted messages again
      return peek(message, window, first, last, remove);
    }
    if (!passes(made, window, first, last)) break;
    message = made;
    if (remove) {
      input_.pop_front();
      inputState_.apply(event);
      if (message.message == WM_KEYDOWN) {
        lastKey_ = static_cast<uint32_t>(message.wParam);
        lastKeyCharacter_ = character;
      }
    }
    return true;
  }
  if (quitPosted_ && inRange(WM_QUIT, first, last)) {
    message = MSG{};
    message.message = WM_QUIT;
    message.wParam = static_cast<WPARAM>(quitCode_);
    message.time = tickNow();
    if (remove) quitPosted_ = false;
    return true;
  }
  if (inRange(WM_TIMER, first, last)) {
    HWND filter = window == reinterpret_cast<HWND>(-1) ? nullptr : window;
    if (timers_.takeDue(filter, systemClock().now(), remove, message)) return true;
  }
  return false;
}

bool MessageQueue::get(MSG& message, HWND window, UINT first, UINT last) {
  while (!peek(message, window, first, last, true)) waitForInput(-1);
  return message.message != WM_QUIT;
}

bool MessageQueue::hasWork(int64_t nowTicks) const {
  if (!posted_.empty() || !input_.empty() || quitPosted_) return true;
  int64_t due = timers_.nextDue();
  return due >= 0 && due <= nowTicks;
}

void MessageQueue::wait() {
  waitUntil(-1);
}

bool MessageQueue::waitFor(DWORD milliseconds) {
  const int64_t deadline = milliseconds == INFINITE
                               ? -1
                               : systemClock().now() + static_cast<int64_t>(milliseconds) * Clock::kTicksPerMillisecond;
  return waitUntil(deadline);
}

bool MessageQueue::waitUntil(int64_t deadline) {
  pumpInput();
  const bool work = hasWork(systemClock().now()) || waitForInput(deadline);
  // What is sent rather than posted reaches the window while the thread waits.
  while (!input_.empty()) {
    MSG unused;
    uint32_t character;
    if (messageOf(input_.front(), unused, character)) break;
    BackendEvent event = input_.front();
    input_.pop_front();
    deliver(event);
  }
  return work;
}

bool MessageQueue::waitForInput(int64_t deadline) {
  Clock& clock = systemClock();
  const int64_t due = timers_.nextDue();
  const int64_t wake = due >= 0 && (deadline < 0 || due < deadline) ? due : deadline;
  int timeoutMs = -1;
  if (wake >= 0) {
    int64_t remaining = wake - clock.now();
    if (remaining < 0) remaining = 0;
    int64_t ms = (remaining + Clock::kTicksPerMillisecond - 1) / Clock::kTicksPerMillisecond;
    timeoutMs = ms > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(ms);
  }
  BackendEvent event;
  if (timeoutMs != 0 && backend().waitEvent(event, timeoutMs)) {
    input_.push_back(event);
    return true;
  }
  // Nobody else moves a virtual clock while the program sleeps: the time waited for has come.
  if (wake >= 0) clock.advanceTo(wake);
  return due >= 0 && due <= clock.now();
}

uint32_t MessageQueue::characterOfKey(const MSG& keyDown) const {
  if (keyDown.message != WM_KEYDOWN) return 0;
  uint32_t key = static_cast<uint32_t>(keyDown.wParam);
  if (key == lastKey_ && lastKeyCharacter_) return lastKeyCharacter_;
  return defaultCharacter(key);
}

void MessageQueue::forgetWindow(HWND window) {
  timers_.killAllOf(window);
}

void MessageQueue::reset() {
  posted_.clear();
  input_.clear();
  timers_.clear();
  quitPosted_ = false;
  quitCode_ = 0;
  lastKey_ = 0;
  lastKeyCharacter_ = 0;
  inputState_.reset();
}

}  // namespace platform
