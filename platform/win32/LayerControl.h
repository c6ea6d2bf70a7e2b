/// @file
/// Control of the platform layer for tests, benchmarks and the program entry: a fresh state, the
/// clock behind QueryPerformanceCounter and the timers, failures injected into DirectDraw calls, a
/// record of the calls made, the end of a run after a number of frames and the picture on the
/// screen. All of it works whatever back end is installed; what only the headless back end has
/// (its desktop, window frames, scripted input, message-box count) is in
/// platform/headless/HeadlessControl.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/Backend.h"

/// Control of the platform layer (see LayerControl.h).
namespace layer {

/// Back to the state of a fresh process: no windows, classes, timers, queued messages, quit
/// request, screen contents, display mode, injected failures, recorded calls or frame limit; a
/// fresh headless back end installed; the clock real. Surfaces and DirectDraw objects still held
/// by the caller stay valid objects but are lost.
void reset();

/// @name The clock
/// A 10 MHz counter behind QueryPerformanceCounter; timers run on it.
/// @{

/// Clock ticks a second.
constexpr int64_t kClockFrequency = platform::BackendHost::kClockFrequency;
/// Switches to a virtual counter that starts at `startTicks` and moves only when advanced. While
/// the program waits for messages with a timer pending, the virtual clock jumps to the timer.
void useVirtualClock(int64_t startTicks = 0);
/// Moves a virtual clock on by `ticks`.
void advanceClock(int64_t ticks);
/// Moves a virtual clock on by `milliseconds`.
void advanceMilliseconds(int64_t milliseconds);
/// Virtual clock that advances by one frame of `framesPerSecond` at every presented frame
/// (exactly: frame n is presented at n / framesPerSecond seconds). 0 switches back to real time.
void setFixedFrameRate(int framesPerSecond);
/// The clock's reading in ticks.
int64_t clockTicks();
/// @}

/// @name Injected failures
/// @{

/// The DirectDraw calls a failure can be injected into.
enum class Call {
  DirectDrawCreateEx,
  SetCooperativeLevel,
  SetDisplayMode,
  CreateSurface,
  GetAttachedSurface,
  CreateClipper,
  SetHWnd,
  SetClipper,
  Lock,
  Unlock,
  Blt,
  Flip,
  Restore,
  GetDC,
};
/// The next `count` calls of `call`, after `skip` calls that succeed as usual, return `result`
/// without doing anything else (DDERR_SURFACELOST does not lose the surface: Restore cannot cure
/// it). A later failNext for the same call replaces the earlier one.
void failNext(Call call, HRESULT result, int count = 1, int skip = 0);
/// Without video memory, CreateSurface with DDSCAPS_VIDEOMEMORY fails with
/// DDERR_OUTOFVIDEOMEMORY (default: available).
void setVideoMemory(bool available);
/// Loses every surface, as a mode switch by another program would: each reports
/// DDERR_SURFACELOST until Restore.
void loseSurfaces();
/// @}

/// @name Recorded calls
/// Off until enabled.
/// @{

/// One recorded call. `api` is the function or method name ("CreateSurface", "Lock", "MessageBoxA",
/// "TextOutA", "SetTimer"...). `args` lists the arguments that matter as "name=value" separated by
/// spaces, numbers in decimal and flags in hexadecimal, surfaces by role ("surface=primary",
/// "surface=back"). `window` is the window argument, `text` and `caption` the exact bytes of a
/// message box or TextOutA string.
struct CallRecord {
  std::string api;        ///< the function or method
  std::string args;       ///< "name=value" pairs separated by spaces
  HWND window = nullptr;  ///< the window argument
  std::string text;       ///< a message box's or TextOutA's text, exact bytes
  std::string caption;    ///< a message box's caption, exact bytes
  HRESULT result = 0;     ///< what the call returned (DirectDraw calls; 0 for the others)
};
/// Starts (true) or stops (false) recording calls.
void recordCalls(bool on);
/// The calls recorded so far, in order.
const std::vector<CallRecord>& calls();
/// Forgets the calls recorded so far.
void clearCalls();
/// The records of one api, in order.
std::vector<CallRecord> callsOf(const std::string& api);
/// The value of one "name=value" argument of a record ("" when it has none).
std::string argOf(const CallRecord& record, const std::string& name);
/// @}

/// @name Runs
/// @{

/// After the given number of presented frames PostQuitMessage(0) ends the program's loop;
/// 0 removes the limit.
void endAfterFrames(uint64_t frames);
/// Frames presented so far (blits onto the primary surface from another surface, and flips).
uint64_t presentedFrames();
/// @}

/// @name The screen
/// @{

/// The picture last shown in the main window (windowed: its client area; full screen: the
/// screen), as RGB565 words, row after row. Empty when nothing was shown.
std::vector<uint16_t> presentedPicture(int& width, int& height);
/// The same picture as an 8-bit RGB PNG file. False when nothing was shown or the file could not
/// be written.
bool savePresentedPng(const std::string& path);
/// The 64-bit FNV-1a hash of the same picture, fed each pixel's word low byte first, rows from the
/// top: a short fingerprint to compare the last pictures of two runs. False when nothing was shown.
bool presentedPictureHash(uint64_t& hash);
/// @}

}  // namespace layer
