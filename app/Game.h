/// @file
/// What a game writes: its scene and its input handling.
#pragma once

#include <windows.h>

#include <cstdint>

class Display;
class GameWindow;

/// The buttons of the mouse messages (WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN ...).
enum class MouseButton { Left, Right, Middle };

/// What a game writes: its scene and its handling of input. A GameWindow runs it: setUp once the
/// display is up, then frame after frame update and draw, the input calls between frames as the
/// messages arrive, and tearDown after the last frame. Every call has a default that does nothing,
/// except draw.
class Game {
public:
  virtual ~Game();

  /// Loads what the game needs; `window` gives the display (its size, the back buffer) and the
  /// window (for timers). False ends the run (exit code 1) after the game has said why.
  virtual bool setUp(GameWindow& window);
  /// Moves the scene on by `elapsedSeconds`, the time since the previous frame began: 0 for the
  /// first frame and for the first after the window was inactive, at most
  /// FrameClock::kMaxStepSeconds (a quarter of a second) after a stall.
  virtual void update(double elapsedSeconds);
  /// Draws the frame into the display's back buffer, which holds code 0 everywhere unless the game
  /// asked to keep the last frame (GameOptions::clearFrame).
  virtual void draw(Display& display) = 0;
  /// Undoes what setUp did; the display is still there.
  virtual void tearDown();

  /// A key pressed (WM_KEYDOWN): its Windows virtual-key code (VK_LEFT, 'A', '1'); `repeated` for
  /// the key-downs that follow while it is held.
  virtual void onKeyDown(uint32_t virtualKey, bool repeated);
  /// A key let go (WM_KEYUP).
  virtual void onKeyUp(uint32_t virtualKey);
  /// A character typed (WM_CHAR): GBK bytes, one call each.
  virtual void onChar(uint32_t character);
  /// The mouse moved to (x, y), in back-buffer pixels (0 to width - 1, 0 to height - 1).
  virtual void onMouseMove(int32_t x, int32_t y);
  /// A mouse button pressed at (x, y), in back-buffer pixels.
  virtual void onMouseDown(MouseButton button, int32_t x, int32_t y);
  /// A mouse button released at (x, y), in back-buffer pixels.
  virtual void onMouseUp(MouseButton button, int32_t x, int32_t y);
  /// A timer the game started with SetTimer on the game's window.
  virtual void onTimer(uintptr_t identifier);
  /// Every message the window receives from setUp on, before the calls above.
  virtual void onMessage(UINT message, WPARAM wParam, LPARAM lParam);
};
