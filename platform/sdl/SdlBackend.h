// The back end with real windows: each Win32 window the program makes is an SDL window, its
// pictures are shown through an RGB565 texture, SDL's keyboard and mouse come back as window
// messages.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "platform/gbk/GbkCodec.h"
#include "platform/sdl/SdlInput.h"
#include "platform/win32/Backend.h"

class SdlWindow;

class SdlBackend : public platform::Backend {
public:
  // Opens SDL's video; null when there is no display to open (no X server, no Wayland
  // compositor), so the caller can fall back to the headless back end.
  static std::unique_ptr<SdlBackend> open();

  ~SdlBackend() override;

  const char* name() const override;

  // The desktop always looks like a 16-bit one: pictures are RGB565 whatever the real depth,
  // and the program's windowed mode requires a 16-bit desktop.
  int desktopBitsPerPixel() override;
  void desktopSize(int& width, int& height) override;

  // The window manager's decorations sit outside the SDL window, so the client area is the
  // whole window rectangle the program asks for.
  RECT frameInsets(DWORD style) override;

  bool createWindow(HWND window, const char* title, const RECT& client, DWORD style) override;
  void destroyWindow(HWND window) override;
  void showWindow(HWND window, bool visible, DWORD style) override;
  void placeWindow(HWND window, const RECT& client, DWORD style) override;

  bool setFullScreen(HWND window, int width, int height, int bitsPerPixel) override;
  void leaveFullScreen(HWND window) override;

  void present(HWND window, const platform::Picture& picture, bool frame) override;
  // Turns on vsync for the window's renderer.
  bool syncToRefresh(HWND window) override;

  bool pollEvent(platform::BackendEvent& event) override;
  bool waitEvent(platform::BackendEvent& event, int timeoutMs) override;

  int messageBox(HWND owner, const char* text, const char* caption, UINT style) override;

  // For tests: the SDL window behind a Win32 window, or null.
  SdlWindow* sdlWindowOf(HWND window) const;
  SdlInput& input() { return events; }

private:
  SdlBackend();
  // Whether any of the windows is on the screen.
  bool anyShown() const;

  GbkCodec codec;
  SdlInput events;
  std::map<HWND, std::unique_ptr<SdlWindow>> windows;
};
