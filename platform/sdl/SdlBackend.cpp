#include "platform/sdl/SdlBackend.h"

#include <SDL.h>

#include <string>
#include <windows.h>

#include "platform/sdl/SdlMessageBox.h"
#include "platform/sdl/SdlWindow.h"

namespace {

// Popup windows have no frame; any other top-level window gets the window manager's caption,
// as an overlapped window gets one on Windows.
bool framedStyle(DWORD style) {
  return (style & WS_POPUP) == 0 || (style & WS_CAPTION) == WS_CAPTION;
}

}  // namespace

std::unique_ptr<SdlBackend> SdlBackend::open() {
  // Ctrl+C and kill should end the program as they end any other, not turn into an SDL_QUIT
  // that a Win32 program would never look at.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // Pixel art: scale by repeating pixels, never by smearing them.
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
  // The program decides when it ends; the last window's close button only asks it to.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");

  // Without an X server or a Wayland compositor SDL would quietly pick its offscreen driver,
  // and the program would draw into a window nobody can see instead of running headless.
  // A driver named explicitly (SDL_VIDEODRIVER=dummy for tests, kmsdrm on a console) is obeyed.
  const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  const bool driverAsked = asked != nullptr && asked[0] != '\0';
  const char* display = SDL_getenv("DISPLAY");
  const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
  const bool displayThere = (display != nullptr && display[0] != '\0') || (wayland != nullptr && wayland[0] != '\0');
  if (!driverAsked && !displayThere) return nullptr;
  // Only an X server named: SDL need not try Wayland first, which when there is none only
  // prints complaints about XDG_RUNTIME_DIR before falling back.
  if (!driverAsked && (wayland == nullptr || wayland[0] == '\0')) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  }
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driverAsked && driver != nullptr && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0)) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  return std::unique_ptr<SdlBackend>(new SdlBackend());
}

SdlBackend::SdlBackend() : events(codec) {}

SdlBackend::~SdlBackend() {
  windows.clear();  // before SDL's video goes
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

const char* SdlBackend::name() const {
  return "sdl";
}

int SdlBackend::desktopBitsPerPixel() {
  return 16;
}

void SdlBackend::desktopSize(int& width, int& height) {
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
    width = mode.w;
    height = mode.h;
  } else {
    width = 640;  // no mode to read: the smallest screen the program is made for
    height = 480;
  }
}

RECT SdlBackend::frameInsets(DWORD) {
  RECT none = {0, 0, 0, 0};
  return none;
}

SdlWindow* SdlBackend::sdlWindowOf(HWND window) const {
  auto found = windows.find(window);
  return found != windows.end() ? found->second.get() : nullptr;
}

bool SdlBackend::createWindow(HWND window, const char* title, const RECT& client, DWORD style) {
  if (window == nullptr || windows.count(window) != 0) return false;
  std::unique_ptr<SdlWindow> sdlWindow(new SdlWindow());
  const std::string titleUtf8 = codec.toUtf8(title != nullptr ? title : "");
  if (!sdlWindow->create(titleUtf8.c_str(), client.left, client.top, client.right - client.left,
                         client.bottom - client.top, framedStyle(style))) {
    return false;
  }
  events.addWindow(sdlWindow->id(), window, *sdlWindow);
  windows[window] = std::move(sdlWindow);
  return true;
}

void SdlBackend::destroyWindow(HWND window) {
  auto found = windows.find(window);
  if (found == windows.end()) return;
  const bool wasShown = found->second->shown();
  events.removeWindow(found->second->id());
  windows.erase(found);
  if (wasShown) {
    events.windowHidden(window, anyShown());
  }
}

bool SdlBackend::anyShown() const {
  for (const auto& entry : windows) {
    if (entry.second->shown()) return true;
  }
  return false;
}

void SdlBackend::showWindow(HWND window, bool visible, DWORD style) {
  SdlWindow* sdlWindow = sdlWindowOf(window);
  if (sdlWindow == nullptr || sdlWindow->shown() == visible) return;
  if (visible) {
    sdlWindow->setFramed(framedStyle(style));
    sdlWindow->show();
    events.windowShown(window);
  } else {
    sdlWindow->hide();
    events.windowHidden(window, anyShown());
  }
}

void SdlBackend::placeWindow(HWND window, const RECT& client, DWORD style) {
  SdlWindow* sdlWindow = sdlWindowOf(window);
  if (sdlWindow == nullptr) return;
  // Placement follows style changes (SetWindowLongA, then SetWindowPos), so the frame is
  // brought up to date here too.
  sdlWindow->setFramed(framedStyle(style));
  sdlWindow->resize(client.right - client.left, client.bottom - client.top);
  sdlWindow->move(client.left, client.top);
}

bool SdlBackend::setFullScreen(HWND window, int width, int height, int) {
  // Desktop full screen rather than a real mode change: the picture is scaled to the screen,
  // which looks the same to the program and leaves the user's desktop alone.
  SdlWindow* sdlWindow = sdlWindowOf(window);
  return sdlWindow != nullptr && sdlWindow->enterFullScreen(width, height);
}

void SdlBackend::leaveFullScreen(HWND window) {
  SdlWindow* sdlWindow = sdlWindowOf(window);
  if (sdlWindow != nullptr) sdlWindow->leaveFullScreen();
}

void SdlBackend::present(HWND window, const platform::Picture& picture, bool) {
  SdlWindow* sdlWindow = sdlWindowOf(window);
  if (sdlWindow == nullptr) return;
  sdlWindow->present(picture.pixels, picture.width, picture.height, picture.pitch);
}

bool SdlBackend::syncToRefresh(HWND window) {
  SdlWindow* sdlWindow = sdlWindowOf(window);
  return sdlWindow != nullptr && sdlWindow->syncToRefresh();
}

bool SdlBackend::pollEvent(platform::BackendEvent& event) {
  return events.pollEvent(event);
}

bool SdlBackend::waitEvent(platform::BackendEvent& event, int timeoutMs) {
  return events.waitEvent(event, timeoutMs);
}

int SdlBackend::messageBox(HWND owner, const char* text, const char* caption, UINT style) {
  SdlWindow* sdlWindow = sdlWindowOf(owner);
  return SdlMessageBox::show(codec, sdlWindow != nullptr ? sdlWindow->handle() : nullptr, text, caption, style);
}

namespace platform {

std::unique_ptr<Backend> createSdlBackend() {
  return SdlBackend::open();
}

}  // namespace platform
