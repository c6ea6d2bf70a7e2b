#pragma once

#include <string>

// Writes text to standard output exactly as given: no formatting is applied, so a path holding
// "%" prints literally. Every progress line of the packer goes through here.
void report(const std::string& text);
