#include "platform/web/WebBackend.h"

#include <emscripten.h>

#include <algorithm>
#include <string>

#include <windows.h>

using platform::BackendEvent;

namespace {

// JavaScript, which the C++ formatter would mangle:
// clang-format off
EM_JS(int, screenSide, (int vertical), { return vertical ? screen.height : screen.width; });

// A message to the page itself: the browser runs what is pending, input and rendering when a
// refresh is due, and then this, with no minimum delay (a zero timeout is held back 4 ms once
// timeouts nest, which would idle the program a quarter of the time).
EM_ASYNC_JS(void, pageRunsPending, (), {
  await new Promise(resume => {
    const channel = new MessageChannel();
    channel.port1.onmessage = resume;
    channel.port2.postMessage(null);
  });
});

// The page draws the dialog and answers with the id of the button pressed. `buttons` lists them
// as "label:id,label:id".
EM_ASYNC_JS(int, pageMessageBox, (const char* text, const char* caption, const char* buttons), {
  const list = UTF8ToString(buttons).split(',').map(item => item.split(':'));
  if (!Module.messageBox) {
    alert(UTF8ToString(text));
    return Number(list[0][1]);
  }
  return await Module.messageBox(UTF8ToString(text), UTF8ToString(caption), list);
});

EM_JS(void, pageOffersFullScreen, (int offered), {
  if (Module.offerFullScreen) Module.offerFullScreen(!!offered);
  if (!offered && document.fullscreenElement) document.exitFullscreen().catch(() => {});
});

// For the page's tests: the frame after which a key reached the program, so that a run on
// another back end can be given the same key at the same frame.
EM_JS(void, pageNotesKey, (int key, double frame), {
  if (Module.onKeyDelivered) Module.onKeyDelivered(key, frame);
});
// clang-format on

// The buttons of a message box style, as the page gets them.
const char* buttonsOf(UINT style) {
  switch (style & 0xF) {
    case MB_OKCANCEL:
      return "OK:1,Cancel:2";
    case MB_ABORTRETRYIGNORE:
      return "Abort:3,Retry:4,Ignore:5";
    case MB_YESNOCANCEL:
      return "Yes:6,No:7,Cancel:2";
    case MB_YESNO:
      return "Yes:6,No:7";
    case MB_RETRYCANCEL:
      return "Retry:4,Cancel:2";
    default:
      return "OK:1";
  }
}

}  // namespace

WebBackend::WebBackend()
    : desktopWidth_(std::max(screenSide(0), 640)),
      desktopHeight_(std::max(screenSide(1), 480)),
      lastYield_(emscripten_get_now()) {}

void WebBackend::desktopSize(int& width, int& height) {
  width = desktopWidth_;
  height = desktopHeight_;
}

RECT WebBackend::frameInsets(DWORD) {
  return RECT{0, 0, 0, 0};
}

bool WebBackend::createWindow(HWND window, const char*, const RECT&, DWORD) {
  // The first window is the program's main window and gets the canvas; others exist unseen.
  if (!canvasWindow_) canvasWindow_ = window;
  return true;
}

void WebBackend::destroyWindow(HWND window) {
  if (window != canvasWindow_) return;
  input_.windowHidden();
  canvasWindow_ = nullptr;
}

void WebBackend::showWindow(HWND window, bool visible, DWORD) {
  if (window != canvasWindow_) return;
  if (visible) {
    input_.windowShown();
  } else {
    input_.windowHidden();
  }
}

void WebBackend::placeWindow(HWND, const RECT&, DWORD) {
  // The canvas takes the size of the pictures shown in it; the page places it.
}

bool WebBackend::setFullScreen(HWND window, int width, int height, int bitsPerPixel) {
  if (window != canvasWindow_ || width <= 0 || height <= 0 || bitsPerPixel <= 0) return false;
  pageOffersFullScreen(1);
  return true;
}

void WebBackend::leaveFullScreen(HWND window) {
  if (window == canvasWindow_) pageOffersFullScreen(0);
}

void WebBackend::present(HWND window, const platform::Picture& picture, bool frame) {
  if (window != canvasWindow_) return;
  // Text and fills straight on the screen are rare and meant to be read at once.
  if (frame && emscripten_get_now() - lastYield_ < kSliceMs) {
    pictureWaiting_ = true;
    return;
  }
  canvas_.draw(picture, frame);
  pictureWaiting_ = false;
  yieldToBrowser();
}

void WebBackend::showLastPicture() {
  platform::Picture picture;
  if (pictureWaiting_ && host().shownPicture(picture)) canvas_.draw(picture, true);
  pictureWaiting_ = false;
}

bool WebBackend::pollEvent(BackendEvent& event) {
  if (!input_.take(event)) return false;
  if (event.type == BackendEvent::Type::KeyDown) {
    pageNotesKey(static_cast<int>(event.key), static_cast<double>(host().framesPresented()));
  }
  return true;
}

bool WebBackend::waitEvent(BackendEvent& event, int timeoutMs) {
  showLastPicture();
  const double deadline = emscripten_get_now() + timeoutMs;
  for (;;) {
    if (pollEvent(event)) return true;
    const double left = deadline - emscripten_get_now();
    if (timeoutMs >= 0 && left <= 0) return false;
    // Input arrives while the browser has control; short sleeps keep it from waiting long.
    sleep(timeoutMs >= 0 && left < 10 ? static_cast<unsigned>(left) : 10);
  }
}

int WebBackend::messageBox(HWND, const char* text, const char* caption, UINT style) {
  showLastPicture();
  const std::string textUtf8 = codec_.toUtf8(text ? text : "");
  const std::string captionUtf8 = codec_.toUtf8(caption ? caption : "");
  input_.setKeysBlocked(true);
  const int pressed = pageMessageBox(textUtf8.c_str(), captionUtf8.c_str(), buttonsOf(style));
  input_.setKeysBlocked(false);
  lastYield_ = emscripten_get_now();
  return pressed;
}

void WebBackend::yieldToBrowser() {
  pageRunsPending();
  lastYield_ = emscripten_get_now();
}

void WebBackend::sleep(unsigned milliseconds) {
  emscripten_sleep(milliseconds);
  lastYield_ = emscripten_get_now();
}
