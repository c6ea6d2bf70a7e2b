#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/BdiFormat.h"

// Whole BDI files in memory for the tools, on the engine's own header layout and checks.

// A method's name for people: "stored", "run-length", "LZSS" or "unknown".
const char* bdiMethodName(int method);

// A whole BDI file: the header for a width x height image of codes, then the payload.
std::vector<uint8_t> makeBdiFile(uint16_t width, uint16_t height, uint8_t method, const std::vector<uint8_t>& payload);

// Reads the header of a whole file (header is filled whenever the file holds one) and checks it
// as the engine's loader does; a refusal is told in error.
bool parseBdiFile(const std::vector<uint8_t>& file, BdiHeader& header, std::string& error);

// Checks a file as parseBdiFile does (filling header the same way) and decodes it into its block
// of pixelSize bytes, width x height codes first.
bool decodeBdiFile(const std::vector<uint8_t>& file, BdiHeader& header, std::vector<uint8_t>& codes,
                   std::string& error);
