#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "platform/win32/Backend.h"

namespace platform {

// The back end without any display: windows and pictures exist only in the layer's memory, input
// comes from the test or script that drives it (platform/headless/HeadlessControl.h), message
// boxes answer OK at once (and are echoed on standard error, so a person running a program
// headless still reads them).
class HeadlessBackend final : public Backend {
public:
  const char* name() const override { return "headless"; }
  int desktopBitsPerPixel() override { return bitsPerPixel_; }
  void desktopSize(int& width, int& height) override;
  RECT frameInsets(DWORD style) override;
  bool createWindow(HWND window, const char* title, const RECT& client, DWORD style) override;
  void destroyWindow(HWND window) override;
  void showWindow(HWND window, bool visible, DWORD style) override;
  void placeWindow(HWND window, const RECT& client, DWORD style) override;
  bool setFullScreen(HWND window, int width, int height, int bitsPerPixel) override;
  void leaveFullScreen(HWND window) override;
  void present(HWND window, const Picture& picture, bool frame) override;
  bool pollEvent(BackendEvent& event) override;
  bool waitEvent(BackendEvent& event, int timeoutMs) override;
  int messageBox(HWND owner, const char* text, const char* caption, UINT style) override;

  // Changes the desktop; surfaces made for the old one are lost.
  void setDesktop(int bitsPerPixel, int width, int height);
  void setFramed(bool framed) { framed_ = framed; }
  void post(const BackendEvent& event) { ready_.push_back(event); }
  void postAfterFrames(uint64_t frames, const BackendEvent& event);
  void postAtTicks(int64_t ticks, const BackendEvent& event);
  int messageBoxCount() const { return messageBoxes_; }

private:
  struct Held {
    uint64_t frames;  // released after this many frames (0: by time)
    int64_t ticks;    // released when the clock reaches this (frames == 0)
    BackendEvent event;
  };
  void releaseDue();
  // The earliest time a held event is released at, or -1.
  int64_t nextTimedRelease() const;
  // Called when the program waits with nothing that could ever wake it.
  static bool idle(BackendEvent& event);

  int bitsPerPixel_ = 16;
  int width_ = 1024;
  int height_ = 768;
  bool framed_ = false;
  int messageBoxes_ = 0;
  std::deque<BackendEvent> ready_;
  std::vector<Held> held_;
};

std::unique_ptr<Backend> createHeadlessBackend();

}  // namespace platform
