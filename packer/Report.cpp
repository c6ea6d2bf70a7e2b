#include "packer/Report.h"

#include <algorithm>
#include <cstdio>

void report(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}

std::string printable(std::string name) {
  std::replace_if(
      name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }, '?');
  return name;
}
