#pragma once

#include <string>

// Writes text to standard output exactly as given: no formatting is applied, so a path holding
// "%" prints literally. Every progress line of the packer goes through here.
void report(const std::string& text);

// Whether c is a control character (below 0x20, or 0x7F): no part of a name that is shown or
// stored in a Windows directory.
inline bool isControl(char c) {
  return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

// A name as it may be shown: each control character (below 0x20, and 0x7F) becomes "?", so a
// hostile name cannot act on the terminal it is printed to.
std::string printable(std::string name);
