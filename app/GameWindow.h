/// @file
/// A game's window, display and main loop.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/FrameClock.h"
#include "app/GameOptions.h"
#include "display/Display.h"

class Game;

/// A game's window, display and main loop: what the demo's entry does for the demo, for any game.
/// It registers a window class and makes the window, starts the display as the options and the
/// settings file say, and runs the message loop: messages first, then, while the application is
/// active, one frame when it is due (Game::update with the elapsed time, Game::draw, present),
/// and while inactive it waits for messages. Escape (unless turned off) and closing the window
/// end the run. Nothing here is global, so a game defines no globals of its own either.
///
/// Mouse positions reach the game in back-buffer pixels: windowed, the window is sized so that its
/// client area is exactly the back buffer; full screen, it covers the screen at the display mode.
class GameWindow {
public:
  /// A window that starts as options say when run is called; nothing is made before.
  explicit GameWindow(const GameOptions& options = GameOptions());
  GameWindow(const GameWindow&) = delete;
  GameWindow& operator=(const GameWindow&) = delete;
  /// Destroys the window, after the display has let go of it.
  virtual ~GameWindow();

  /// Runs `game` from set-up to quit. Returns the exit code PostQuitMessage gave (0 for Escape or
  /// a closed window), or 1 when the window, the display or the game's setUp failed (the display
  /// and the game say why themselves).
  int run(HINSTANCE instance, Game& game);

  /// The display the game draws into (its back buffer, size and frame rate).
  Display& display() { return display_; }
  /// The game's window, for timers (SetTimer) and message boxes; null before run.
  HWND window() const { return window_.handle; }
  /// Whether frames are drawn now: the application is active.
  bool active() const { return active_; }
  /// Frames presented since the run began.
  uint64_t frames() const { return frames_; }
  /// Ends the run once the current message or frame is done.
  void quit(int exitCode = 0);
  /// Changes the pacing from the next frame on (framesPerSecond: the cap, also Refresh's fallback).
  void setPacing(FramePacing pacing, int32_t framesPerSecond);

  /// Whether a key or mouse button (VK_LBUTTON ...) is down, as the messages so far say.
  static bool keyDown(uint32_t virtualKey);
  /// The mouse's last column, in back-buffer pixels.
  int32_t mouseX() const { return mouseX_; }
  /// The mouse's last row, in back-buffer pixels.
  int32_t mouseY() const { return mouseY_; }

private:
  /// The window, destroyed after the display (members go in reverse order) so that DirectDraw
  /// lets go of it first.
  struct WindowHandle {
    ~WindowHandle();
    HWND handle = nullptr;
  };

  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  /// The game's calls for one message.
  void forward(UINT message, WPARAM wParam, LPARAM lParam);
  bool createWindow(HINSTANCE instance);
  /// Windowed: the window grows by its frame so that the client area shows the back buffer pixel
  /// for pixel. Full screen: the window covers the screen, as DirectDraw makes it on Windows.
  void fitWindow();
  /// A mouse message's client position in back-buffer pixels, kept as the mouse's position.
  void takeMousePosition(LPARAM lParam);
  int loop();
  void drawFrame();

  GameOptions options_;
  WindowHandle window_;
  Display display_;
  FrameClock clock_;
  Game* game_ = nullptr;
  bool active_ = false;
  bool waitForRefresh_ = false;
  uint64_t frames_ = 0;
  int32_t mouseX_ = 0;
  int32_t mouseY_ = 0;
};
