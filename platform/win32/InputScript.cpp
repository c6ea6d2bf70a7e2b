#include "platform/win32/InputScript.h"

#include <cctype>

#include <windows.h>

namespace platform {

namespace {

using Type = BackendEvent::Type;

struct NamedKey {
  const char* name;
  uint32_t key;
  uint32_t character;  // what TranslateMessage makes of it, 0 for none
};

const NamedKey kNamedKeys[] = {
    {"escape", VK_ESCAPE, 27}, {"return", VK_RETURN, '\r'}, {"space", VK_SPACE, ' '},   {"tab", VK_TAB, '\t'},
    {"backspace", VK_BACK, 8}, {"left", VK_LEFT, 0},        {"right", VK_RIGHT, 0},     {"up", VK_UP, 0},
    {"down", VK_DOWN, 0},      {"shift", VK_SHIFT, 0},      {"control", VK_CONTROL, 0}, {"home", VK_HOME, 0},
    {"end", VK_END, 0},        {"pageup", VK_PRIOR, 0},     {"pagedown", VK_NEXT, 0},   {"insert", VK_INSERT, 0},
    {"delete", VK_DELETE, 0},
};

struct NamedButton {
  const char* name;
  BackendEvent::Button button;
};

const NamedButton kButtons[] = {
    {"left", BackendEvent::Button::Left},
    {"right", BackendEvent::Button::Right},
    {"middle", BackendEvent::Button::Middle},
};

std::string lowerCase(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// A key by its character or name: its KeyDown event (key and character).
bool parseKey(const std::string& what, BackendEvent& down) {
  down = BackendEvent{};
  down.type = Type::KeyDown;
  const unsigned char first = what.empty() ? 0 : static_cast<unsigned char>(what[0]);
  if (what.size() == 1 && std::isalnum(first)) {
    // Letters have the upper-case letter as their virtual key, whichever case they type.
    down.key = static_cast<uint32_t>(std::toupper(first));
    down.character = first;
    return true;
  }
  const std::string name = lowerCase(what);
  for (const NamedKey& named : kNamedKeys) {
    if (name == named.name) {
      down.key = named.key;
      down.character = named.character;
      return true;
    }
  }
  uint64_t function = 0;
  if (name.size() > 1 && name[0] == 'f' && parseNumber(name.substr(1), 12, function) && function >= 1) {
    down.key = VK_F1 + static_cast<uint32_t>(function - 1);
    return true;
  }
  return false;
}

// "X,Y" into a mouse event's position.
bool parsePosition(const std::string& text, BackendEvent& event) {
  const size_t comma = text.find(',');
  uint64_t x = 0;
  uint64_t y = 0;
  if (comma == std::string::npos || !parseNumber(text.substr(0, comma), 32767, x) ||
      !parseNumber(text.substr(comma + 1), 32767, y)) {
    return false;
  }
  event.x = static_cast<int>(x);
  event.y = static_cast<int>(y);
  return true;
}

bool parseButton(const std::string& name, BackendEvent& event) {
  for (const NamedButton& named : kButtons) {
    if (lowerCase(name) == named.name) {
      event.button = named.button;
      return true;
    }
  }
  return false;
}

// WHAT of an item: the events it makes.
bool parseWhat(const std::string& what, std::vector<BackendEvent>& events) {
  const size_t colon = what.find(':');
  const std::string verb = lowerCase(what.substr(0, colon));
  const std::string rest = colon == std::string::npos ? "" : what.substr(colon + 1);
  BackendEvent event;
  if (colon == std::string::npos) {
    if (!parseKey(what, event)) return false;
    BackendEvent up;
    up.type = Type::KeyUp;
    up.key = event.key;
    events = {event, up};
    return true;
  }
  if (verb == "move") {
    event.type = Type::MouseMove;
    events = {event};
    return parsePosition(rest, events[0]);
  }
  if (verb != "down" && verb != "up") return false;
  const size_t buttonEnd = rest.find(':');
  if (buttonEnd == std::string::npos) {
    if (!parseKey(rest, event)) return false;
    if (verb == "up") {
      event.type = Type::KeyUp;
      event.character = 0;
    }
    events = {event};
    return true;
  }
  event.type = verb == "down" ? Type::MouseDown : Type::MouseUp;
  if (!parseButton(rest.substr(0, buttonEnd), event) || !parsePosition(rest.substr(buttonEnd + 1), event)) return false;
  events = {event};
  return true;
}

}  // namespace

bool parseNumber(const std::string& text, uint64_t limit, uint64_t& number) {
  if (text.empty() || text.size() > 12) return false;
  number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + static_cast<uint64_t>(c - '0');
  }
  return number <= limit;
}

bool parseInputScript(const std::string& text, std::vector<ScriptedInput>& script, std::string& error) {
  // Items are split at commas; a piece without a colon is the Y of the item before it ("X,Y").
  std::vector<std::string> items;
  size_t begin = 0;
  for (;;) {
    const size_t end = text.find(',', begin);
    const std::string piece = text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    if (piece.find(':') == std::string::npos && !items.empty()) {
      items.back() += "," + piece;
    } else {
      items.push_back(piece);
    }
    if (end == std::string::npos) break;
    begin = end + 1;
  }
  for (const std::string& item : items) {
    const size_t colon = item.find(':');
    ScriptedInput input;
    if (colon == std::string::npos || !parseNumber(item.substr(0, colon), 999999999999ull, input.frame) ||
        !parseWhat(item.substr(colon + 1), input.events)) {
      error = "\"" + item + "\" is not FRAME:KEY, FRAME:down|up:KEY, FRAME:move:X,Y or FRAME:down|up:BUTTON:X,Y";
      return false;
    }
    script.push_back(input);
  }
  return true;
}

}  // namespace platform
