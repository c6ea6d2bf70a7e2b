#include "platform/win32/InputScript.h"

#include <cctype>

#include <windows.h>

namespace platform {

namespace {

struct NamedKey {
  const char* name;
  uint32_t key;
  uint32_t character;  // what TranslateMessage makes of it, 0 for none
};

const NamedKey kNamedKeys[] = {
    {"escape", VK_ESCAPE, 27}, {"return", VK_RETURN, '\r'}, {"space", VK_SPACE, ' '}, {"tab", VK_TAB, '\t'},
    {"backspace", VK_BACK, 8}, {"left", VK_LEFT, 0},        {"right", VK_RIGHT, 0},   {"up", VK_UP, 0},
    {"down", VK_DOWN, 0},
};

std::string lowerCase(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// A key by its character or name: the pair of events pressing it makes.
bool parseKey(const std::string& what, std::vector<BackendEvent>& events) {
  BackendEvent down;
  down.type = BackendEvent::Type::KeyDown;
  const unsigned char first = what.empty() ? 0 : static_cast<unsigned char>(what[0]);
  if (what.size() == 1 && std::isalnum(first)) {
    // Letters have the upper-case letter as their virtual key, whichever case they type.
    down.key = static_cast<uint32_t>(std::toupper(first));
    down.character = first;
  } else {
    const std::string name = lowerCase(what);
    for (const NamedKey& named : kNamedKeys) {
      if (name == named.name) {
        down.key = named.key;
        down.character = named.character;
      }
    }
    if (down.key == 0) return false;
  }
  BackendEvent up;
  up.type = BackendEvent::Type::KeyUp;
  up.key = down.key;
  events = {down, up};
  return true;
}

bool parseFrame(const std::string& text, uint64_t& frame) {
  if (text.empty() || text.size() > 12) return false;
  frame = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    frame = frame * 10 + static_cast<uint64_t>(c - '0');
  }
  return true;
}

}  // namespace

bool parseInputScript(const std::string& text, std::vector<ScriptedInput>& script, std::string& error) {
  script.clear();
  size_t begin = 0;
  for (;;) {
    const size_t end = text.find(',', begin);
    const std::string item = text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    const size_t colon = item.find(':');
    ScriptedInput input;
    if (colon == std::string::npos || !parseFrame(item.substr(0, colon), input.frame) ||
        !parseKey(item.substr(colon + 1), input.events)) {
      error = "\"" + item + "\" is not FRAME:KEY";
      return false;
    }
    script.push_back(input);
    if (end == std::string::npos) return true;
    begin = end + 1;
  }
}

}  // namespace platform
