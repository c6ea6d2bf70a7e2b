// The back end in a web page: the program's main window is the page's <canvas>, the page's
// keyboard and focus come back as window messages, message boxes are dialogs in the page, and
// exclusive full screen is the browser's full screen, entered from a button (browsers grant it
// only to a person's click).
//
// The program keeps its own loop and never returns to the browser by itself, so the back end
// hands control back (an asynchronous pause of the program) where a desktop program would let the
// system run: while it renders, once kSliceMs of work have passed since the last time, so that the
// browser handles input and shows a new picture at every refresh of the screen; while it waits for
// messages; while a message box is open. Of the pictures rendered in between, only the last one,
// which the browser will show, is converted and drawn; the others are left in the layer.
#pragma once

#include "platform/gbk/GbkCodec.h"
#include "platform/web/WebCanvas.h"
#include "platform/web/WebInput.h"
#include "platform/win32/Backend.h"

class WebBackend final : public platform::Backend {
public:
  // Longest stretch of rendering between two returns to the browser, in milliseconds: two thirds
  // of a 60 Hz refresh, so that every refresh finds a new picture and input waits little.
  static constexpr double kSliceMs = 10;

  WebBackend();

  const char* name() const override { return "web"; }

  // Pictures are RGB565 whatever the screen, so the desktop looks like a 16-bit one of the size
  // of the person's screen (at least 640 x 480).
  int desktopBitsPerPixel() override { return 16; }
  void desktopSize(int& width, int& height) override;
  // The browser's window frame is outside the page.
  RECT frameInsets(DWORD style) override;

  bool createWindow(HWND window, const char* title, const RECT& client, DWORD style) override;
  void destroyWindow(HWND window) override;
  void showWindow(HWND window, bool visible, DWORD style) override;
  void placeWindow(HWND window, const RECT& client, DWORD style) override;

  bool setFullScreen(HWND window, int width, int height, int bitsPerPixel) override;
  void leaveFullScreen(HWND window) override;

  void present(HWND window, const platform::Picture& picture, bool frame) override;

  bool pollEvent(platform::BackendEvent& event) override;
  bool waitEvent(platform::BackendEvent& event, int timeoutMs) override;

  int messageBox(HWND owner, const char* text, const char* caption, UINT style) override;

  // The program's last picture on the canvas, if it is not there yet (before it waits, and at
  // its end).
  void showLastPicture();

private:
  // Control to the browser until it has handled what is pending, rendering included when a
  // refresh of the screen is due.
  void yieldToBrowser();
  // Control to the browser for `milliseconds` at least.
  void sleep(unsigned milliseconds);

  HWND canvasWindow_ = nullptr;
  bool pictureWaiting_ = false;
  int desktopWidth_ = 0;
  int desktopHeight_ = 0;
  double lastYield_ = 0;
  GbkCodec codec_;
  WebInput input_;
  WebCanvas canvas_;
};
