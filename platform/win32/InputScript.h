// Input written on the command line, for runs that must repeat exactly: a comma-separated list of
// items "FRAME:WHAT", each delivered once FRAME frames have been presented (0: before the first).
// WHAT is a key, pressed and released: one letter or digit ("1", "a", "A"), or a key name
// (Escape, Return, Space, Tab, Backspace, Left, Right, Up, Down).
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

// False, with the offending item in `error`, when the text is not such a list; `script` then
// holds the items before it.
bool parseInputScript(const std::string& text, std::vector<ScriptedInput>& script, std::string& error);

}  // namespace platform
