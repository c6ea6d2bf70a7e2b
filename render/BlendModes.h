#pragma once

#include <cstdint>

// The sprite blend modes by number. Numbers 10 to 15, anything above 20 and anything negative
// draw nothing.
enum BlendMode : int32_t {
  Copy = 0,
  CopyKeyed = 1,
  CopyGuarded = 2,
  Alpha = 3,
  AlphaKeyed = 4,
  AlphaGuarded = 5,
  Add = 6,
  AddKeyed = 7,
  AddGuarded = 8,
  Sub = 9,
  SubKeyed = 16,
  SubGuarded = 17,
  Grey = 18,
  GreyKeyed = 19,
  GreyGuarded = 20,
};

// Slots of the dispatch table: modes 0 to 20.
constexpr int32_t kBlendModeSlots = 21;

// A sprite's blendParam: bits 0 to 3 are the alpha level, bits 8 to 15 the guard colour code;
// every other bit is ignored.
inline int32_t blendLevel(int32_t blendParam) {
  return blendParam & 0xF;
}
inline uint8_t blendGuard(int32_t blendParam) {
  return static_cast<uint8_t>(blendParam >> 8);
}

// One clipped rectangle to blend: the caller has already clipped it against both the source
// image and the back buffer, so the routines check nothing per pixel.
struct BlendJob {
  uint8_t* dst;        // first back-buffer byte of the rectangle
  int32_t dstStride;   // back-buffer row stride in bytes
  const uint8_t* src;  // first image byte of the rectangle
  int32_t srcStride;   // image row stride in bytes
  int32_t width;       // pixels per row; 0 or less writes nothing
  int32_t height;      // rows; 0 or less writes nothing
  int32_t level;       // alpha level 0 to 15 (alpha modes)
  uint8_t key;         // transparent source code (keyed modes)
  uint8_t guard;       // protected destination code (guarded modes)
};

using BlendRoutine = void (*)(const BlendJob& job);

// The per-mode loops. s is the source code, d the destination code of one pixel.
void blendCopy(const BlendJob& job);          // d = s
void blendCopyKeyed(const BlendJob& job);     // s != key: d = s
void blendCopyGuarded(const BlendJob& job);   // d != guard: d = s
void blendAlpha(const BlendJob& job);         // d = alphaTable[level][s][d]
void blendAlphaKeyed(const BlendJob& job);    // s != key: d = alphaTable[level][s][d]
void blendAlphaGuarded(const BlendJob& job);  // d != guard: d = alphaTable[level][s][d]
void blendAdd(const BlendJob& job);           // d = addTable[s][d]
void blendAddKeyed(const BlendJob& job);      // s != key: d = addTable[s][d]
void blendAddGuarded(const BlendJob& job);    // d != guard: d = addTable[s][d]
void blendSub(const BlendJob& job);           // d = subTable[s][d]
void blendSubKeyed(const BlendJob& job);      // s != key: d = subTable[s][d]
void blendSubGuarded(const BlendJob& job);    // d != guard: d = subTable[s][d]
void blendGrey(const BlendJob& job);          // d = greyTable[s]
void blendGreyKeyed(const BlendJob& job);     // s != key: d = greyTable[s]
void blendGreyGuarded(const BlendJob& job);   // d != guard: d = greyTable[s]

// Dispatch by mode number: an empty slot is null and draws nothing.
extern const BlendRoutine blendRoutines[kBlendModeSlots];

// The routine of a mode number, or null for every number that draws nothing.
BlendRoutine blendRoutineFor(int32_t mode);
