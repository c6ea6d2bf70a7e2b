#include "packer/Report.h"

#include <algorithm>
#include <cstdio>

void report(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}

std::string printable(std::string name) {
  std::replace_if(name.begin(), name.end(), isControl, '?');
  return name;
}
