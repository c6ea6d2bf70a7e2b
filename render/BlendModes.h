/// @file
/// The blend modes: their numbers, the blend parameter and the per-pixel routines.
#pragma once

#include <cstdint>

/// The sprite blend modes by number. Numbers 10 to 15, anything above 20 and anything negative
/// draw nothing.
enum BlendMode : int32_t {
  Copy = 0,          ///< the source codes as they are
  CopyKeyed = 1,     ///< Copy, leaving the destination where the source is the key code
  CopyGuarded = 2,   ///< Copy, leaving the destination where it is the guard code
  Alpha = 3,         ///< the source over the destination at the alpha level (of 16)
  AlphaKeyed = 4,    ///< Alpha, leaving the destination where the source is the key code
  AlphaGuarded = 5,  ///< Alpha, leaving the destination where it is the guard code
  Add = 6,           ///< the sum per channel, saturating
  AddKeyed = 7,      ///< Add, leaving the destination where the source is the key code
  AddGuarded = 8,    ///< Add, leaving the destination where it is the guard code
  Sub = 9,           ///< the source minus the destination per channel, clamped at 0
  SubKeyed = 16,     ///< Sub, leaving the destination where the source is the key code
  SubGuarded = 17,   ///< Sub, leaving the destination where it is the guard code
  Grey = 18,         ///< the grey of the source's brightness
  GreyKeyed = 19,    ///< Grey, leaving the destination where the source is the key code
  GreyGuarded = 20,  ///< Grey, leaving the destination where it is the guard code
};

/// Slots of the dispatch table: modes 0 to 20.
constexpr int32_t kBlendModeSlots = 21;

/// The alpha level of a sprite's blendParam. Bits 0 to 3 are the alpha level, bits 8 to 15 the
/// guard colour code; every other bit is ignored.
inline int32_t blendLevel(int32_t blendParam) {
  return blendParam & 0xF;
}
/// The guard colour code of a sprite's blendParam (bits 8 to 15).
inline uint8_t blendGuard(int32_t blendParam) {
  return static_cast<uint8_t>(blendParam >> 8);
}

/// One clipped rectangle to blend: the caller has already clipped it against both the source
/// image and the back buffer, so the routines check nothing per pixel.
struct BlendJob {
  uint8_t* dst;        ///< first back-buffer byte of the rectangle
  int32_t dstStride;   ///< back-buffer row stride in bytes
  const uint8_t* src;  ///< first image byte of the rectangle
  int32_t srcStride;   ///< image row stride in bytes
  int32_t width;       ///< pixels per row; 0 or less writes nothing
  int32_t height;      ///< rows; 0 or less writes nothing
  int32_t level;       ///< alpha level 0 to 15 (alpha modes)
  uint8_t key;         ///< transparent source code (keyed modes)
  uint8_t guard;       ///< protected destination code (guarded modes)
};

/// A per-pixel routine of one mode, run over a whole clipped rectangle.
using BlendRoutine = void (*)(const BlendJob& job);

/// The routine of a mode number, or null for every number that draws nothing. s is the source
/// code and d the destination code of one pixel; keyed modes leave d where s is the key, guarded
/// modes where d is the guard colour:
/// @verbatim
///   Copy*  d = s               Add*  d = addTable[s][d]    Grey*  d = greyTable[s]
///   Alpha* d = alphaTable[level][s][d]                     Sub*   d = subTable[s][d]
/// @endverbatim
/// Where the processor has SIMD instructions for them (SSE2), the routines use them.
BlendRoutine blendRoutineFor(int32_t mode);

/// The same routines on the portable path alone, as builds without SSE2 run them (the browser
/// build among them). Always compiled, so that tests can hold both paths to the same pictures.
BlendRoutine portableBlendRoutineFor(int32_t mode);
