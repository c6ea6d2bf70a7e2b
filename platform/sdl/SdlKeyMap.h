// Translation of SDL key events into what a Win32 window procedure receives: the virtual-key code
// of WM_KEYDOWN/WM_KEYUP and the WM_CHAR that TranslateMessage would make for keys that SDL does
// not report as text (Escape, Enter, Backspace, Tab, Ctrl+letter).
#pragma once

#include <SDL.h>
#include <cstdint>

class SdlKeyMap {
public:
  // The Windows virtual-key code for a key, or 0 for keys Windows programs never see.
  // Letters and digits follow the keyboard layout (SDL's keycode), as VK codes do on Windows:
  // 'A'..'Z' are 0x41..0x5A, '0'..'9' are 0x30..0x39.
  static uint32_t virtualKey(SDL_Keycode key, SDL_Scancode scancode);

  // The character of a control key that produces one on Windows but no SDL text event
  // (VK_ESCAPE 27, VK_RETURN 13, VK_BACK 8, VK_TAB 9), or 0. Ctrl+letter gives the control
  // code 1..26 as on Windows.
  static int controlCharacter(uint32_t virtualKey, uint16_t modifiers);
};
