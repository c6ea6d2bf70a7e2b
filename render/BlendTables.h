#pragma once

#include <cstdint>
#include <string>

class FileLoader;

// Blending works on colour codes by table lookup. Code c is shown as the RGB565 word c * 0x101.
extern uint8_t alphaTable[16][256][256];  // [level][source][destination]: source over destination at level/16
extern uint8_t addTable[256][256];        // [source][destination]: saturating sum per channel
extern uint8_t subTable[256][256];        // [source][destination]: source minus destination, clamped at 0
extern uint8_t greyTable[256];            // grey of the same brightness

// Layout of the ready-made table file: the four tables back to back, no header.
constexpr uint32_t kAlphaTableOffset = 0x000000;
constexpr uint32_t kAddTableOffset = 0x100000;
constexpr uint32_t kSubTableOffset = 0x110000;
constexpr uint32_t kGreyTableOffset = 0x120000;
constexpr uint32_t kBlendTableFileSize = 0x120100;

// The colour code nearest to an RGB565 word (low 16 bits of rgb); ties go to the lowest code.
uint8_t nearestColorCode(uint32_t rgb);

// Fills the four tables from the named file through loader, or computes them when loader is null
// or the file cannot be read whole.
void loadBlendTables(FileLoader* loader, const std::string& name);

// Computes the four tables (what loadBlendTables falls back to).
void computeBlendTables();
