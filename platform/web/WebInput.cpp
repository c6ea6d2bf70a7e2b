#include "platform/web/WebInput.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <windows.h>

using platform::BackendEvent;

namespace {

// clang-format off
EM_JS(int, pageIsHidden, (), { return document.hidden ? 1 : 0; });
EM_JS(int, pageHasFocus, (), { return document.hasFocus() ? 1 : 0; });
// clang-format on

// Keys the browser keeps acting on while the program also sees them: its shortcuts (with Ctrl,
// Alt or Meta) and the function keys (reload, full screen, developer tools).
bool browserKeepsKey(const EmscriptenKeyboardEvent& key) {
  return key.ctrlKey || key.altKey || key.metaKey || (key.keyCode >= VK_F1 && key.keyCode <= VK_F1 + 11);
}

}  // namespace

WebInput::WebInput() {
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_FALSE, &WebInput::onKey);
  emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_FALSE, &WebInput::onKey);
  emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_FALSE, &WebInput::onFocus);
  emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_FALSE, &WebInput::onFocus);
  emscripten_set_visibilitychange_callback(this, EM_FALSE, &WebInput::onVisibility);
}

WebInput::~WebInput() {
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, nullptr);
  emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, nullptr);
  emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, nullptr);
  emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, nullptr);
  emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, nullptr);
}

uint32_t WebInput::characterOf(const char* key, uint32_t virtualKey, bool control) {
  switch (virtualKey) {
    case VK_ESCAPE:
    case VK_RETURN:
    case VK_TAB:
    case VK_BACK:
      return virtualKey;  // their virtual-key codes are their characters
    default:
      break;
  }
  const unsigned char first = static_cast<unsigned char>(key[0]);
  if (first < 0x20 || first > 0x7E || key[1] != '\0') return 0;  // a named key or beyond ASCII
  if (control && virtualKey >= 'A' && virtualKey <= 'Z') return virtualKey - 'A' + 1;
  return first;
}

void WebInput::activate(bool active) {
  if (active == active_) return;  // WM_ACTIVATEAPP reports changes only
  active_ = active;
  BackendEvent event;
  event.type = BackendEvent::Type::Activate;
  event.active = active;
  queue_.push_back(event);
}

void WebInput::windowShown() {
  windowVisible_ = true;
  activate(!pageIsHidden());
}

void WebInput::windowHidden() {
  windowVisible_ = false;
  activate(false);
}

bool WebInput::take(BackendEvent& event) {
  if (queue_.empty()) return false;
  event = queue_.front();
  queue_.pop_front();
  return true;
}

int WebInput::onKey(int type, const EmscriptenKeyboardEvent* key, void* self) {
  WebInput& input = *static_cast<WebInput*>(self);
  // Browsers give the legacy keyCode as the Windows virtual-key code for letters, digits, arrows
  // and the editing keys.
  if (input.keysBlocked_ || key->keyCode == 0 || key->keyCode > 0xFE) return EM_FALSE;
  BackendEvent event;
  event.key = static_cast<uint32_t>(key->keyCode);
  if (type == EMSCRIPTEN_EVENT_KEYDOWN) {
    event.type = BackendEvent::Type::KeyDown;
    event.character = characterOf(key->key, event.key, key->ctrlKey);
  } else {
    event.type = BackendEvent::Type::KeyUp;
  }
  input.queue_.push_back(event);
  // Everything else is the program's: arrows and Space must not scroll the page, nor Tab move
  // the focus away.
  return browserKeepsKey(*key) ? EM_FALSE : EM_TRUE;
}

int WebInput::onFocus(int type, const EmscriptenFocusEvent*, void* self) {
  WebInput& input = *static_cast<WebInput*>(self);
  if (input.windowVisible_) input.activate(type == EMSCRIPTEN_EVENT_FOCUS && !pageIsHidden());
  return EM_FALSE;
}

int WebInput::onVisibility(int, const EmscriptenVisibilityChangeEvent* visibility, void* self) {
  WebInput& input = *static_cast<WebInput*>(self);
  if (input.windowVisible_) input.activate(!visibility->hidden && pageHasFocus());
  return EM_FALSE;
}
