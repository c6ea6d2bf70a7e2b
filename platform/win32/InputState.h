#pragma once

#include <bitset>
#include <cstdint>

#include <windows.h>

#include "platform/win32/Backend.h"

namespace platform {

// Which keys and mouse buttons are down, as the input messages taken from the queue so far left
// them: what GetKeyState answers, what bit 30 of a WM_KEYDOWN's lParam and the MK_ flags of a
// mouse message's wParam say. Mouse buttons count as the keys VK_LBUTTON, VK_RBUTTON and
// VK_MBUTTON.
class InputState {
public:
  // An input event's message was taken from the queue.
  void apply(const BackendEvent& event);
  bool down(uint32_t key) const { return key < kKeys && down_[key]; }
  bool toggled(uint32_t key) const { return key < kKeys && toggled_[key]; }
  // The lParam of the WM_KEYDOWN that `keyDown` makes: a repeat count of 1, and bit 30 when the
  // key is down already.
  LPARAM keyDownParam(const BackendEvent& keyDown) const;
  // The MK_ flags of the message that `mouse` makes: the buttons, Shift and Ctrl as they are once
  // it is taken.
  WPARAM mouseFlags(const BackendEvent& mouse) const;
  void reset();

  // The virtual key of a mouse button.
  static uint32_t keyOf(BackendEvent::Button button);

private:
  static constexpr uint32_t kKeys = 256;
  std::bitset<kKeys> down_;
  std::bitset<kKeys> toggled_;
};

}  // namespace platform
