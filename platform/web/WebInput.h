// The page's keyboard and focus as the back end's input events: keys with the virtual-key code
// and the character TranslateMessage would post, the window's focus and the tab's visibility as
// the application's activation. The browser delivers its events only while the program has handed
// control back to it; they wait here until the layer polls.
#pragma once

#include <cstdint>
#include <deque>

#include "platform/win32/Backend.h"

struct EmscriptenKeyboardEvent;
struct EmscriptenFocusEvent;
struct EmscriptenVisibilityChangeEvent;

class WebInput {
public:
  WebInput();
  virtual ~WebInput();

  WebInput(const WebInput&) = delete;
  WebInput& operator=(const WebInput&) = delete;

  // As on Windows, showing the window activates the application, unless the page is not even
  // visible; focus and visibility changes take over from there.
  void windowShown();
  void windowHidden();

  // While a message box is open the keyboard is the dialog's: keys do not reach the program.
  void setKeysBlocked(bool blocked) { keysBlocked_ = blocked; }

  bool take(platform::BackendEvent& event);

  // The character TranslateMessage would post for a key: a printable ASCII `key` ("a", "1", " "),
  // Ctrl with a letter as the control code 1..26, the control characters of Escape, Enter, Tab and
  // Backspace; 0 for none (arrows, function keys, characters beyond ASCII).
  static uint32_t characterOf(const char* key, uint32_t virtualKey, bool control);

private:
  static int onKey(int type, const EmscriptenKeyboardEvent* key, void* self);
  static int onFocus(int type, const EmscriptenFocusEvent* focus, void* self);
  static int onVisibility(int type, const EmscriptenVisibilityChangeEvent* visibility, void* self);
  void activate(bool active);

  std::deque<platform::BackendEvent> queue_;
  bool windowVisible_ = false;
  bool active_ = false;
  bool keysBlocked_ = false;
};
