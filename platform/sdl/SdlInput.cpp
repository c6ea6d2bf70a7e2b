#include "platform/sdl/SdlInput.h"

#include <string>

#include "platform/gbk/GbkCodec.h"
#include "platform/sdl/SdlKeyMap.h"
#include "platform/sdl/SdlWindow.h"

using platform::BackendEvent;

namespace {

const uint32_t kVkProcessKey = 0xE5;

}  // namespace

SdlInput::SdlInput(const GbkCodec& textCodec) : codec(textCodec), isActive(false) {}

SdlInput::~SdlInput() = default;

void SdlInput::addWindow(uint32_t sdlId, HWND window, const SdlWindow& shown) {
  windows[sdlId] = Target{window, &shown};
}

void SdlInput::removeWindow(uint32_t sdlId) {
  windows.erase(sdlId);
}

HWND SdlInput::windowOf(uint32_t sdlId) const {
  auto found = windows.find(sdlId);
  return found != windows.end() ? found->second.window : nullptr;
}

void SdlInput::activate(HWND window, bool active) {
  if (active == isActive) return;  // WM_ACTIVATEAPP reports changes only
  isActive = active;
  BackendEvent event;
  event.type = BackendEvent::Type::Activate;
  event.window = window;
  event.active = active;
  queue.push_back(event);
}

void SdlInput::windowShown(HWND window) {
  activate(window, true);
}

void SdlInput::windowHidden(HWND window, bool otherWindowShown) {
  if (!otherWindowShown) activate(window, false);
}

void SdlInput::translateKey(const SDL_KeyboardEvent& key, bool down) {
  const uint32_t vk = SdlKeyMap::virtualKey(key.keysym.sym, key.keysym.scancode);
  if (vk == 0) return;
  BackendEvent event;
  event.type = down ? BackendEvent::Type::KeyDown : BackendEvent::Type::KeyUp;
  event.window = windowOf(key.windowID);
  event.key = vk;
  if (down) {
    // SDL reports a printable key as the key followed at once by its text. A single ASCII
    // character becomes the key's own character (TranslateMessage's WM_CHAR right after the
    // WM_KEYDOWN); anything longer, an input method's result say, stays a text event.
    SDL_Event next;
    const bool textFollows = SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_TEXTINPUT, SDL_TEXTINPUT) == 1 &&
                             next.text.windowID == key.windowID && next.text.text[0] != 0;
    if (textFollows && static_cast<unsigned char>(next.text.text[0]) < 0x80 && next.text.text[1] == 0) {
      SDL_PeepEvents(&next, 1, SDL_GETEVENT, SDL_TEXTINPUT, SDL_TEXTINPUT);
      event.character = static_cast<unsigned char>(next.text.text[0]);
    } else if (textFollows) {
      // The text is the key's but more than one byte: the key goes as VK_PROCESSKEY, as keys
      // an input method takes do on Windows, so that no character of the key's own is made
      // beside the text's GBK bytes.
      event.key = kVkProcessKey;
    } else {
      event.character = static_cast<uint32_t>(SdlKeyMap::controlCharacter(vk, key.keysym.mod));
    }
  }
  queue.push_back(event);
}

void SdlInput::translateText(HWND window, const char* utf8) {
  // An ANSI window receives double-byte characters as two WM_CHAR messages, lead byte first.
  const std::string gbk = codec.fromUtf8(utf8);
  for (unsigned char byte : gbk) {
    BackendEvent event;
    event.type = BackendEvent::Type::Char;
    event.window = window;
    event.character = byte;
    queue.push_back(event);
  }
}

void SdlInput::translateMouse(uint32_t sdlId, BackendEvent::Type type, int x, int y, uint8_t button) {
  auto found = windows.find(sdlId);
  if (found == windows.end()) return;  // over a window that is not ours (a message box)
  BackendEvent event;
  event.type = type;
  event.window = found->second.window;
  if (type != BackendEvent::Type::MouseMove) {
    switch (button) {
      case SDL_BUTTON_LEFT:
        event.button = BackendEvent::Button::Left;
        break;
      case SDL_BUTTON_RIGHT:
        event.button = BackendEvent::Button::Right;
        break;
      case SDL_BUTTON_MIDDLE:
        event.button = BackendEvent::Button::Middle;
        break;
      default:
        return;  // the side buttons: Windows sends them as WM_XBUTTON*, which programs here never see
    }
  }
  found->second.shown->toPicture(x, y, event.x, event.y);
  queue.push_back(event);
}

void SdlInput::translate(const SDL_Event& sdlEvent) {
  switch (sdlEvent.type) {
    case SDL_KEYDOWN:
      translateKey(sdlEvent.key, true);
      break;
    case SDL_KEYUP:
      translateKey(sdlEvent.key, false);
      break;
    case SDL_TEXTINPUT:
      translateText(windowOf(sdlEvent.text.windowID), sdlEvent.text.text);
      break;
    case SDL_MOUSEMOTION:
      translateMouse(sdlEvent.motion.windowID, BackendEvent::Type::MouseMove, sdlEvent.motion.x, sdlEvent.motion.y, 0);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      translateMouse(sdlEvent.button.windowID,
                     sdlEvent.type == SDL_MOUSEBUTTONDOWN ? BackendEvent::Type::MouseDown : BackendEvent::Type::MouseUp,
                     sdlEvent.button.x, sdlEvent.button.y, sdlEvent.button.button);
      break;
    case SDL_WINDOWEVENT: {
      const HWND window = windowOf(sdlEvent.window.windowID);
      switch (sdlEvent.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          activate(window, true);
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST: {
          // Focus moving between two of our own windows keeps the application active.
          SDL_Window* focus = SDL_GetKeyboardFocus();
          if (focus == nullptr || windowOf(SDL_GetWindowID(focus)) == nullptr) {
            activate(window, false);
          }
          break;
        }
        case SDL_WINDOWEVENT_CLOSE: {
          BackendEvent event;
          event.type = BackendEvent::Type::Close;
          event.window = window;
          queue.push_back(event);
          break;
        }
        default:
          break;
      }
      break;
    }
    default:
      break;  // exposure, the wheel, SDL_QUIT (a window's close event already says it) ...
  }
}

bool SdlInput::takeQueued(BackendEvent& event) {
  if (queue.empty()) return false;
  event = queue.front();
  queue.pop_front();
  return true;
}

bool SdlInput::pollEvent(BackendEvent& event) {
  if (takeQueued(event)) return true;
  SDL_Event sdlEvent;
  while (SDL_PollEvent(&sdlEvent)) {
    translate(sdlEvent);
    if (takeQueued(event)) return true;
  }
  return false;
}

bool SdlInput::waitEvent(BackendEvent& event, int timeoutMs) {
  if (takeQueued(event)) return true;
  // Waiting ends with the caller's deadline even when only meaningless events (exposure)
  // arrive in between; the caller passes the time to its next timer.
  const Uint64 deadline = SDL_GetTicks64() + static_cast<Uint64>(timeoutMs < 0 ? 0 : timeoutMs);
  for (;;) {
    int wait = -1;
    if (timeoutMs >= 0) {
      const Uint64 now = SDL_GetTicks64();
      if (now >= deadline) return pollEvent(event);
      wait = static_cast<int>(deadline - now);
    }
    SDL_Event sdlEvent;
    const int got = wait < 0 ? SDL_WaitEvent(&sdlEvent) : SDL_WaitEventTimeout(&sdlEvent, wait);
    if (got == 1) {
      translate(sdlEvent);
      if (takeQueued(event)) return true;
    } else if (wait >= 0) {
      return false;  // timed out
    } else {
      return false;  // SDL_WaitEvent failed: nothing will ever arrive
    }
  }
}
