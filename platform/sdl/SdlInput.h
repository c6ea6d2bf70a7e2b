// SDL events turned into the back end's input events: focus into application activation, keys
// into virtual-key codes with the character TranslateMessage would post, typed text into GBK
// characters, the mouse into positions in the window's picture, the close button into a close
// request.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <deque>
#include <map>

#include "platform/win32/Backend.h"

class GbkCodec;
class SdlWindow;

class SdlInput {
public:
  explicit SdlInput(const GbkCodec& textCodec);
  virtual ~SdlInput();

  SdlInput(const SdlInput&) = delete;
  SdlInput& operator=(const SdlInput&) = delete;

  // The windows whose events are reported, by SDL window id; `shown` maps mouse positions.
  void addWindow(uint32_t sdlId, HWND window, const SdlWindow& shown);
  void removeWindow(uint32_t sdlId);

  // On Windows, showing a top-level window activates the application at once, and the program
  // relies on that first WM_ACTIVATEAPP to start rendering; a window manager may give the focus
  // late or, on a bare X server, never. So showing a window counts as activation, and hiding
  // the last shown window as deactivation.
  void windowShown(HWND window);
  void windowHidden(HWND window, bool otherWindowShown);

  bool active() const { return isActive; }

  // pollEvent never blocks; waitEvent blocks until an event or the timeout (-1: none) and
  // returns false when the time ran out. Events that mean nothing to a Win32 program (exposure,
  // the wheel) are consumed without a result.
  bool pollEvent(platform::BackendEvent& event);
  bool waitEvent(platform::BackendEvent& event, int timeoutMs);

  // One SDL event into zero or more back end events, appended to the queue. Public for tests,
  // which feed it events of their own making.
  void translate(const SDL_Event& sdlEvent);

private:
  HWND windowOf(uint32_t sdlId) const;
  void activate(HWND window, bool active);
  void translateKey(const SDL_KeyboardEvent& key, bool down);
  void translateText(HWND window, const char* utf8);
  void translateMouse(uint32_t sdlId, platform::BackendEvent::Type type, int x, int y, uint8_t button);
  bool takeQueued(platform::BackendEvent& event);

  const GbkCodec& codec;
  struct Target {
    HWND window;
    const SdlWindow* shown;
  };
  std::map<uint32_t, Target> windows;
  std::deque<platform::BackendEvent> queue;
  bool isActive;
};
