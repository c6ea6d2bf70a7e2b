#include "app/GameWindow.h"

#include <windows.h>
#include <windowsx.h>
#include <ddraw.h>

#include <cstring>

#include "app/Game.h"
#include "app/WindowSettings.h"

GameWindow::GameWindow(const GameOptions& options) : options_(options) {}

GameWindow::~GameWindow() {
  // Messages from here on (WM_DESTROY) are no longer ours to handle.
  if (window_.handle) SetWindowLongPtrA(window_.handle, GWLP_USERDATA, 0);
}

GameWindow::WindowHandle::~WindowHandle() {
  if (handle) DestroyWindow(handle);
}

LRESULT CALLBACK GameWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    auto* self = static_cast<GameWindow*>(create->lpCreateParams);
    self->window_.handle = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<GameWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  return self->handle(message, wParam, lParam);
}

LRESULT GameWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATEAPP:
      active_ = wParam != 0;
      break;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE && options_.escapeQuits) PostQuitMessage(0);
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      break;
    default:
      break;
  }
  if (game_) forward(message, wParam, lParam);
  return DefWindowProcA(window_.handle, message, wParam, lParam);
}

void GameWindow::forward(UINT message, WPARAM wParam, LPARAM lParam) {
  Game& game = *game_;
  game.onMessage(message, wParam, lParam);
  const uint32_t code = static_cast<uint32_t>(wParam);
  switch (message) {
    case WM_KEYDOWN:
      game.onKeyDown(code, (lParam & 0x40000000) != 0);
      break;
    case WM_KEYUP:
      game.onKeyUp(code);
      break;
    case WM_CHAR:
      game.onChar(code);
      break;
    case WM_TIMER:
      game.onTimer(wParam);
      break;
    case WM_MOUSEMOVE:
      takeMousePosition(lParam);
      game.onMouseMove(mouseX_, mouseY_);
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      takeMousePosition(lParam);
      const MouseButton button = message == WM_LBUTTONDOWN || message == WM_LBUTTONUP   ? MouseButton::Left
                                 : message == WM_RBUTTONDOWN || message == WM_RBUTTONUP ? MouseButton::Right
                                                                                        : MouseButton::Middle;
      if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN) {
        game.onMouseDown(button, mouseX_, mouseY_);
      } else {
        game.onMouseUp(button, mouseX_, mouseY_);
      }
      break;
    }
    default:
      break;
  }
}

void GameWindow::takeMousePosition(LPARAM lParam) {
  mouseX_ = GET_X_LPARAM(lParam);
  mouseY_ = GET_Y_LPARAM(lParam);
  // A client area of another size than the back buffer (one the window could not be fitted to)
  // shows the buffer scaled.
  RECT client;
  if (GetClientRect(window_.handle, &client) && client.right > 0 && client.bottom > 0) {
    mouseX_ = static_cast<int32_t>(static_cast<int64_t>(mouseX_) * display_.width / client.right);
    mouseY_ = static_cast<int32_t>(static_cast<int64_t>(mouseY_) * display_.height / client.bottom);
  }
}

bool GameWindow::createWindow(HINSTANCE instance) {
  WNDCLASSA windowClass;
  std::memset(&windowClass, 0, sizeof windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = options_.windowClass;
  // A second run in the same process finds the class there already.
  RegisterClassA(&windowClass);
  // A pop-up centred on the screen at the back buffer's size; the display gives it its style.
  const int width = options_.width;
  const int height = options_.height;
  CreateWindowExA(0, options_.windowClass, options_.title, WS_POPUP, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                  (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr, instance, this);
  if (!window_.handle) return false;
  ShowWindow(window_.handle, SW_SHOW);
  UpdateWindow(window_.handle);
  return true;
}

void GameWindow::fitWindow() {
  const int width = display_.width;
  const int height = display_.height;
  if (display_.fullScreen) {
    MoveWindow(window_.handle, 0, 0, width, height, FALSE);
    return;
  }
  RECT client;
  if (!GetClientRect(window_.handle, &client) || (client.right == width && client.bottom == height)) return;
  // The display made the window's outer size width x height; the frame takes the difference.
  const int outerWidth = 2 * width - client.right;
  const int outerHeight = 2 * height - client.bottom;
  MoveWindow(window_.handle, (GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2,
             (GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2, outerWidth, outerHeight, TRUE);
}

void GameWindow::quit(int exitCode) {
  PostQuitMessage(exitCode);
}

void GameWindow::setPacing(FramePacing pacing, int32_t framesPerSecond) {
  options_.pacing = pacing;
  options_.framesPerSecond = framesPerSecond;
  waitForRefresh_ = pacing == FramePacing::Refresh;
  // Waiting for the refresh needs no cap until the platform turns out not to offer it.
  clock_.setCap(pacing == FramePacing::Capped ? framesPerSecond : 0);
}

bool GameWindow::keyDown(uint32_t virtualKey) {
  return (GetKeyState(static_cast<int>(virtualKey)) & 0x8000) != 0;
}

int GameWindow::run(HINSTANCE instance, Game& game) {
  if (!window_.handle && !createWindow(instance)) return 1;
  WindowSettings settings(options_.fullScreen ? 1 : 0, options_.width, options_.height);
  if (options_.settingsFile) settings.read(options_.settingsFile);
  if (!settings.startDisplay(display_, window_.handle)) return 1;
  fitWindow();

  game_ = &game;
  if (!game.setUp(*this)) {
    game_ = nullptr;
    return 1;
  }
  setPacing(options_.pacing, options_.framesPerSecond);
  clock_.restart();
  frames_ = 0;
  const int exitCode = loop();
  game.tearDown();
  game_ = nullptr;
  return exitCode;
}

int GameWindow::loop() {
  MSG message;
  for (;;) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
      TranslateMessage(&message);
      DispatchMessageA(&message);
    } else if (!active_) {
      WaitMessage();
      clock_.restart();
    } else if (!clock_.frameDue()) {
      clock_.waitForFrame();
    } else {
      drawFrame();
    }
  }
}

void GameWindow::drawFrame() {
  game_->update(clock_.beginFrame());
  if (options_.clearFrame) std::memset(display_.buffer, 0, static_cast<size_t>(display_.bufferSize));
  game_->draw(display_);
  if (waitForRefresh_ && FAILED(display_.directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr))) {
    // Nothing to wait for here: keep the pace by the clock instead.
    waitForRefresh_ = false;
    clock_.setCap(options_.framesPerSecond);
  }
  display_.present();
  ++frames_;
}
