// Input written on the command line, for runs that must repeat exactly: a comma-separated list of
// items "FRAME:WHAT", each delivered once FRAME frames have been presented (0: before the first).
// WHAT is one of
//   KEY                   a key pressed and released
//   down:KEY, up:KEY      a key pressed and held, and let go
//   move:X,Y              the mouse moved to (X, Y)
//   down:BUTTON:X,Y       a mouse button (left, right or middle) pressed at (X, Y)
//   up:BUTTON:X,Y         and released
// KEY is one letter or digit ("1", "a", "A") or a key name: Escape, Return, Space, Tab, Backspace,
// Left, Right, Up, Down, Shift, Control, Home, End, PageUp, PageDown, Insert, Delete, F1 to F12.
// X and Y are pixels of the picture the window shows (0 to 32767). Names are not case-sensitive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/Backend.h"

namespace platform {

struct ScriptedInput {
  uint64_t frame = 0;
  // In the order they are delivered (a key: its KeyDown, then its KeyUp).
  std::vector<BackendEvent> events;
};

// Decimal digits only, at most 12 of them, up to `limit`; `number` is undefined on failure.
bool parseNumber(const std::string& text, uint64_t limit, uint64_t& number);

// Appends the items of `text` to `script`. False, with the offending item in `error`, when the
// text is not such a list; `script` then holds the items before it.
bool parseInputScript(const std::string& text, std::vector<ScriptedInput>& script, std::string& error);

}  // namespace platform
