#pragma once

#include <cstdint>
#include <string>

class FileLoader;

/// @file
/// Blending works on colour codes by table lookup. Code c is shown as the RGB565 word c * 0x101.

extern uint8_t alphaTable[16][256][256];  ///< `[level][source][destination]`: source over destination at level/16
extern uint8_t addTable[256][256];        ///< `[source][destination]`: saturating sum per channel
extern uint8_t subTable[256][256];        ///< `[source][destination]`: source minus destination, clamped at 0
extern uint8_t greyTable[256];            ///< grey of the same brightness

/// @{

/// Layout of the ready-made table file: the four tables back to back, no header.
constexpr uint32_t kAlphaTableOffset = 0x000000;
constexpr uint32_t kAddTableOffset = 0x100000;
constexpr uint32_t kSubTableOffset = 0x110000;
constexpr uint32_t kGreyTableOffset = 0x120000;
constexpr uint32_t kBlendTableFileSize = 0x120100;
/// @}

/// @{

/// Channels of an RGB565 word as every colour formula reads them: each 8-bit channel takes its
/// low bits from the neighbouring field, so the code word c * 0x101 reads back red8 = c exactly.
constexpr int32_t red8(uint32_t v) {
  return static_cast<int32_t>((v >> 8) & 0xFF);
}
constexpr int32_t green8(uint32_t v) {
  return static_cast<int32_t>((v >> 3) & 0xFF);
}
constexpr int32_t blue8(uint32_t v) {
  return static_cast<int32_t>((v & 0x1F) << 3);
}
/// @}

/// The RGB565 word of three 8-bit channels, their low bits dropped.
constexpr uint32_t pack565(uint32_t r, uint32_t g, uint32_t b) {
  return ((r & 0xF8) << 8) | ((g & 0xFC) << 3) | ((b & 0xFF) >> 3);
}

/// The word the display shows for code c.
constexpr uint32_t codeWord(uint32_t c) {
  return c * 0x101;
}

/// The colour code nearest to an RGB565 word (low 16 bits of rgb); ties go to the lowest code.
uint8_t nearestColorCode(uint32_t rgb);

/// The same with one code left out of the search (a sprite's key code, which only transparent
/// pixels may take).
uint8_t nearestColorCodeAvoiding(uint32_t rgb, uint8_t avoided);

/// Fills the four tables from the named file through loader, or computes them when loader is null
/// or the file cannot be read whole.
void loadBlendTables(FileLoader* loader, const std::string& name);

/// Computes the four tables (what loadBlendTables falls back to).
void computeBlendTables();

/// Lays the four tables out as the table file holds them, in the kBlendTableFileSize bytes at
/// file; such a file is what loadBlendTables reads back.
void storeBlendTables(uint8_t* file);
