#include "packer/Report.h"

#include <cstdio>

void report(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}
