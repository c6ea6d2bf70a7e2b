#include "platform/win32/InputState.h"

namespace platform {

namespace {

using Type = BackendEvent::Type;

}  // namespace

uint32_t InputState::keyOf(BackendEvent::Button button) {
  switch (button) {
    case BackendEvent::Button::Right:
      return VK_RBUTTON;
    case BackendEvent::Button::Middle:
      return VK_MBUTTON;
    default:
      return VK_LBUTTON;
  }
}

void InputState::apply(const BackendEvent& event) {
  uint32_t key = 0;
  bool pressed = false;
  switch (event.type) {
    case Type::KeyDown:
    case Type::KeyUp:
      key = event.key;
      pressed = event.type == Type::KeyDown;
      break;
    case Type::MouseDown:
    case Type::MouseUp:
      key = keyOf(event.button);
      pressed = event.type == Type::MouseDown;
      break;
    default:
      return;
  }
  if (key >= kKeys) return;
  // A repeat is no new press, so it leaves the toggle (Caps Lock's light) alone.
  if (pressed && !down_[key]) toggled_.flip(key);
  down_[key] = pressed;
}

LPARAM InputState::keyDownParam(const BackendEvent& keyDown) const {
  return down(keyDown.key) ? static_cast<LPARAM>(0x40000001) : 1;
}

WPARAM InputState::mouseFlags(const BackendEvent& mouse) const {
  std::bitset<kKeys> after = down_;
  if (mouse.type == Type::MouseDown || mouse.type == Type::MouseUp) {
    after[keyOf(mouse.button)] = mouse.type == Type::MouseDown;
  }
  WPARAM flags = 0;
  if (after[VK_LBUTTON]) flags |= MK_LBUTTON;
  if (after[VK_RBUTTON]) flags |= MK_RBUTTON;
  if (after[VK_MBUTTON]) flags |= MK_MBUTTON;
  if (after[VK_SHIFT]) flags |= MK_SHIFT;
  if (after[VK_CONTROL]) flags |= MK_CONTROL;
  return flags;
}

void InputState::reset() {
  down_.reset();
  toggled_.reset();
}

}  // namespace platform
