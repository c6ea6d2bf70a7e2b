// Control of the platform layer for tests and scripts: the desktop the program sees, the clock
// behind QueryPerformanceCounter and the timers, failures injected into DirectDraw calls, a record
// of the calls made, input, the end of a run and the picture on the screen.
//
// Everything here works with any back end; the desktop settings and scheduled input act on the
// headless back end, which is the default one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/Backend.h"

namespace headless {

// Back to the state of a fresh process: no windows, classes, timers, queued messages, quit
// request, screen contents, display mode, injected failures or recorded calls; the headless back
// end installed with a 16-bit 1024 x 768 desktop and no window frame; the clock real. Surfaces and
// DirectDraw objects still held by the caller stay valid objects but are lost.
void reset();

// --- The desktop (headless back end) ---
// Depth 16, 24 or 32 bits per pixel and size in pixels. Changing the depth while surfaces exist
// loses them, and a windowed primary surface can only be restored at the depth it was made at.
void setDesktop(int bitsPerPixel, int width, int height);
// Whether windows get a Windows-like frame (caption and border, so a client area is smaller than
// the window) or none (the default: client area = window).
void setWindowFrame(bool framed);

// --- The clock (10 MHz counter; timers run on it) ---
// Switches to a virtual counter that starts at `startTicks` and moves only when advanced. While
// the program waits for messages with a timer pending, the virtual clock jumps to the timer.
void useVirtualClock(int64_t startTicks = 0);
void advanceClock(int64_t ticks);
void advanceMilliseconds(int64_t milliseconds);
// Virtual clock that advances by one frame of `framesPerSecond` at every presented frame
// (exactly: frame n is presented at n / framesPerSecond seconds). 0 switches back to real time.
void setFixedFrameRate(int framesPerSecond);
int64_t clockTicks();
constexpr int64_t kClockFrequency = 10000000;

// --- Injected failures ---
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
// The next `count` calls of `call`, after `skip` calls that succeed as usual, return `result`
// without doing anything else (DDERR_SURFACELOST does not lose the surface: Restore cannot cure
// it). A later failNext for the same call replaces the earlier one.
void failNext(Call call, HRESULT result, int count = 1, int skip = 0);
// Without video memory, CreateSurface with DDSCAPS_VIDEOMEMORY fails with
// DDERR_OUTOFVIDEOMEMORY (default: available).
void setVideoMemory(bool available);
// Loses every surface, as a mode switch by another program would: each reports
// DDERR_SURFACELOST until Restore.
void loseSurfaces();

// --- Recorded calls (off until enabled) ---
// `api` is the function or method name ("CreateSurface", "Lock", "MessageBoxA", "TextOutA",
// "SetTimer"...). `args` lists the arguments that matter as "name=value" separated by spaces,
// numbers in decimal and flags in hexadecimal ("flags=0x7 caps=0x6040 width=640 height=480"),
// surfaces by role ("surface=primary", "surface=back", "surface=offscreen1"). `window` is the
// window argument, `text` and `caption` the exact bytes of a message box or TextOutA string.
struct CallRecord {
  std::string api;
  std::string args;
  HWND window = nullptr;
  std::string text;
  std::string caption;
  HRESULT result = 0;  // what the call returned (DirectDraw calls; 0 for the others)
};
void recordCalls(bool on);
const std::vector<CallRecord>& calls();
void clearCalls();
// The records of one api, in order.
std::vector<CallRecord> callsOf(const std::string& api);

// --- Input (delivered as window messages while the program reads its queue) ---
// If the program waits for messages while no timer runs and no input is held back, nothing
// could ever wake it: the headless back end then closes the main window (WM_CLOSE, WM_DESTROY),
// as a person would, instead of hanging.
//
// WM_KEYDOWN then WM_KEYUP; TranslateMessage adds WM_CHAR with `character`, or for 0 the key's
// own character (digits, letters in lower case, Escape, Return, Space, Tab, Backspace).
void postKey(uint32_t virtualKey, uint32_t character = 0);
void postChar(uint32_t character);  // WM_CHAR alone
void postActivate(bool active);     // WM_ACTIVATEAPP
void postClose();                   // WM_CLOSE, then WM_DESTROY
void postEvent(const platform::BackendEvent& event);
// Input held back until `frames` frames have been presented in all, or until the clock reaches
// `milliseconds` (a virtual clock waiting for messages jumps there).
void postAfterFrames(uint64_t frames, const platform::BackendEvent& event);
void postAtMilliseconds(int64_t milliseconds, const platform::BackendEvent& event);

// --- Runs ---
// After the given number of presented frames PostQuitMessage(0) ends the program's loop;
// 0 removes the limit.
void endAfterFrames(uint64_t frames);
// Frames presented so far (blits onto the primary surface from another surface, and flips).
uint64_t presentedFrames();
// Message boxes answer IDOK at once. Their count:
int messageBoxCount();

// --- The screen ---
// The picture last shown in the main window (windowed: its client area; full screen: the
// screen), as RGB565 words, row after row. Empty when nothing was shown.
std::vector<uint16_t> presentedPicture(int& width, int& height);
// The same picture as an 8-bit RGB PNG file. False when nothing was shown or the file could not
// be written.
bool savePresentedPng(const std::string& path);

}  // namespace headless
