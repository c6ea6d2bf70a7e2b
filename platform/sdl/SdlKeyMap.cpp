#include "platform/sdl/SdlKeyMap.h"

namespace {

// Windows virtual-key codes used below (winuser.h values).
enum : uint32_t {
  kVkBack = 0x08,
  kVkTab = 0x09,
  kVkReturn = 0x0D,
  kVkShift = 0x10,
  kVkControl = 0x11,
  kVkMenu = 0x12,
  kVkPause = 0x13,
  kVkCapital = 0x14,
  kVkEscape = 0x1B,
  kVkSpace = 0x20,
  kVkPrior = 0x21,
  kVkNext = 0x22,
  kVkEnd = 0x23,
  kVkHome = 0x24,
  kVkLeft = 0x25,
  kVkUp = 0x26,
  kVkRight = 0x27,
  kVkDown = 0x28,
  kVkSnapshot = 0x2C,
  kVkInsert = 0x2D,
  kVkDelete = 0x2E,
  kVkLWin = 0x5B,
  kVkRWin = 0x5C,
  kVkApps = 0x5D,
  kVkNumpad0 = 0x60,
  kVkMultiply = 0x6A,
  kVkAdd = 0x6B,
  kVkSubtract = 0x6D,
  kVkDecimal = 0x6E,
  kVkDivide = 0x6F,
  kVkF1 = 0x70,
  kVkNumLock = 0x90,
  kVkScroll = 0x91,
  kVkOem1 = 0xBA,
  kVkOemPlus = 0xBB,
  kVkOemComma = 0xBC,
  kVkOemMinus = 0xBD,
  kVkOemPeriod = 0xBE,
  kVkOem2 = 0xBF,
  kVkOem3 = 0xC0,
  kVkOem4 = 0xDB,
  kVkOem5 = 0xDC,
  kVkOem6 = 0xDD,
  kVkOem7 = 0xDE,
};

// Keys that are not letters or digits: by scancode, since their keycodes vary with the layout
// (on Windows the OEM codes are tied to the key position in the same way).
uint32_t virtualKeyOfScancode(SDL_Scancode scancode) {
  switch (scancode) {
    case SDL_SCANCODE_BACKSPACE:
      return kVkBack;
    case SDL_SCANCODE_TAB:
      return kVkTab;
    case SDL_SCANCODE_RETURN:
      return kVkReturn;
    case SDL_SCANCODE_KP_ENTER:
      return kVkReturn;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT:
      return kVkShift;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL:
      return kVkControl;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT:
      return kVkMenu;
    case SDL_SCANCODE_PAUSE:
      return kVkPause;
    case SDL_SCANCODE_CAPSLOCK:
      return kVkCapital;
    case SDL_SCANCODE_ESCAPE:
      return kVkEscape;
    case SDL_SCANCODE_SPACE:
      return kVkSpace;
    case SDL_SCANCODE_PAGEUP:
      return kVkPrior;
    case SDL_SCANCODE_PAGEDOWN:
      return kVkNext;
    case SDL_SCANCODE_END:
      return kVkEnd;
    case SDL_SCANCODE_HOME:
      return kVkHome;
    case SDL_SCANCODE_LEFT:
      return kVkLeft;
    case SDL_SCANCODE_UP:
      return kVkUp;
    case SDL_SCANCODE_RIGHT:
      return kVkRight;
    case SDL_SCANCODE_DOWN:
      return kVkDown;
    case SDL_SCANCODE_PRINTSCREEN:
      return kVkSnapshot;
    case SDL_SCANCODE_INSERT:
      return kVkInsert;
    case SDL_SCANCODE_DELETE:
      return kVkDelete;
    case SDL_SCANCODE_LGUI:
      return kVkLWin;
    case SDL_SCANCODE_RGUI:
      return kVkRWin;
    case SDL_SCANCODE_APPLICATION:
      return kVkApps;
    case SDL_SCANCODE_KP_0:
      return kVkNumpad0;
    case SDL_SCANCODE_KP_MULTIPLY:
      return kVkMultiply;
    case SDL_SCANCODE_KP_PLUS:
      return kVkAdd;
    case SDL_SCANCODE_KP_MINUS:
      return kVkSubtract;
    case SDL_SCANCODE_KP_PERIOD:
      return kVkDecimal;
    case SDL_SCANCODE_KP_DIVIDE:
      return kVkDivide;
    case SDL_SCANCODE_NUMLOCKCLEAR:
      return kVkNumLock;
    case SDL_SCANCODE_SCROLLLOCK:
      return kVkScroll;
    case SDL_SCANCODE_SEMICOLON:
      return kVkOem1;
    case SDL_SCANCODE_EQUALS:
      return kVkOemPlus;
    case SDL_SCANCODE_COMMA:
      return kVkOemComma;
    case SDL_SCANCODE_MINUS:
      return kVkOemMinus;
    case SDL_SCANCODE_PERIOD:
      return kVkOemPeriod;
    case SDL_SCANCODE_SLASH:
      return kVkOem2;
    case SDL_SCANCODE_GRAVE:
      return kVkOem3;
    case SDL_SCANCODE_LEFTBRACKET:
      return kVkOem4;
    case SDL_SCANCODE_BACKSLASH:
      return kVkOem5;
    case SDL_SCANCODE_RIGHTBRACKET:
      return kVkOem6;
    case SDL_SCANCODE_APOSTROPHE:
      return kVkOem7;
    default:
      break;
  }
  if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9) {
    return kVkNumpad0 + 1 + (scancode - SDL_SCANCODE_KP_1);
  }
  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) {
    return kVkF1 + (scancode - SDL_SCANCODE_F1);
  }
  if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24) {
    return kVkF1 + 12 + (scancode - SDL_SCANCODE_F13);
  }
  return 0;
}

}  // namespace

uint32_t SdlKeyMap::virtualKey(SDL_Keycode key, SDL_Scancode scancode) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + static_cast<uint32_t>(key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + static_cast<uint32_t>(key - SDLK_0);
  // A layout whose key gives a non-ASCII keycode (say, a Cyrillic letter) still has the
  // position's letter or digit on Windows: fall back to the US position of the scancode.
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
    return 'A' + static_cast<uint32_t>(scancode - SDL_SCANCODE_A);
  }
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
    return '1' + static_cast<uint32_t>(scancode - SDL_SCANCODE_1);
  }
  if (scancode == SDL_SCANCODE_0) return '0';
  return virtualKeyOfScancode(scancode);
}

int SdlKeyMap::controlCharacter(uint32_t virtualKey, uint16_t modifiers) {
  const bool ctrl = (modifiers & KMOD_CTRL) != 0;
  const bool alt = (modifiers & KMOD_ALT) != 0;
  if (ctrl && !alt && virtualKey >= 'A' && virtualKey <= 'Z') {
    return static_cast<int>(virtualKey - 'A' + 1);
  }
  switch (virtualKey) {
    case kVkEscape:
      return 0x1B;
    case kVkReturn:
      return 0x0D;
    case kVkBack:
      return 0x08;
    case kVkTab:
      return 0x09;
    default:
      return 0;
  }
}
