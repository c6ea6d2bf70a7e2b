/// @file
/// Control of the headless back end for tests and scripts: the desktop it shows the program, its
/// window frames, the input it delivers and the message boxes it answered. They act on the
/// installed back end when it is the headless one (layer::reset installs a fresh one) and do
/// nothing otherwise. The layer's own controls (clock, failures, recorded calls, frames, the
/// picture) are in platform/win32/LayerControl.h.
#pragma once

#include <cstdint>

#include "platform/win32/Backend.h"

/// Control of the headless back end (see HeadlessControl.h).
namespace headless {

/// @name The desktop
/// @{

/// Depth 16, 24 or 32 bits per pixel and size in pixels (default: 16 bits, 1024 x 768). Changing
/// the depth while surfaces exist loses them, and a windowed primary surface can only be restored
/// at the depth it was made at.
void setDesktop(int bitsPerPixel, int width, int height);
/// Whether windows get a Windows-like frame (caption and border, so a client area is smaller than
/// the window) or none (the default: client area = window).
void setWindowFrame(bool framed);
/// @}

/// @name Input
/// Delivered as window messages while the program reads its queue. If the program waits for
/// messages while no timer runs and no input is held back, nothing could ever wake it: the back
/// end then closes the main window (WM_CLOSE, WM_DESTROY), as a person would, instead of hanging.
/// @{

/// A key pressed and let go: WM_KEYDOWN then WM_KEYUP; TranslateMessage adds WM_CHAR with
/// `character`, or for 0 the key's own character (digits, letters in lower case, Escape, Return,
/// Space, Tab, Backspace).
void postKey(uint32_t virtualKey, uint32_t character = 0);
/// Any input event, after the input posted before it.
void postEvent(const platform::BackendEvent& event);
/// Input held back until `frames` frames have been presented in all.
void postAfterFrames(uint64_t frames, const platform::BackendEvent& event);
/// Input held back until the clock reaches `milliseconds` (a virtual clock waiting for messages
/// jumps there).
void postAtMilliseconds(int64_t milliseconds, const platform::BackendEvent& event);
/// @}

/// @name Message boxes
/// Each answers IDOK at once.
/// @{

/// The number of message boxes shown since the back end was made.
int messageBoxCount();
/// @}

}  // namespace headless
