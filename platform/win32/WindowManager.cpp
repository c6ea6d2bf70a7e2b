#include "platform/win32/WindowManager.h"

#include <strings.h>

#include "platform/win32/Backend.h"
#include "platform/win32/CallLog.h"
#include "platform/win32/MessageQueue.h"
#include "platform/win32/Screen.h"

namespace platform {

WindowManager& windowManager() {
  // Never destroyed: the program's static objects release DirectDraw objects after main returns.
  static auto* manager = new WindowManager;
  return *manager;
}

const WindowManager::Class* WindowManager::findClass(const char* name) const {
  if (!name) return nullptr;
  for (const Class& entry : classes_) {
    if (strcasecmp(entry.name.c_str(), name) == 0) return &entry;
  }
  return nullptr;
}

ATOM WindowManager::registerClass(const WNDCLASSA& windowClass) {
  if (!windowClass.lpszClassName || !windowClass.lpfnWndProc) return 0;
  if (findClass(windowClass.lpszClassName)) return 0;  // ERROR_CLASS_ALREADY_EXISTS
  Class entry;
  entry.name = windowClass.lpszClassName;
  entry.info = windowClass;
  entry.info.lpszClassName = nullptr;  // the copy in `name` outlives the caller's string
  entry.info.lpszMenuName = nullptr;
  classes_.push_back(entry);
  return static_cast<ATOM>(0xC000 + classes_.size());
}

HWND WindowManager::create(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y,
                           int width, int height, HINSTANCE instance, LPVOID param) {
  const Class* windowClass = findClass(className);
  if (!windowClass) return nullptr;
  auto window = std::make_unique<Window>();
  window->className = windowClass->name;
  window->title = title ? title : "";
  window->procedure = windowClass->info.lpfnWndProc;
  window->instance = instance;
  window->style = style & ~WS_VISIBLE;
  window->exStyle = exStyle;
  if (x == CW_USEDEFAULT) x = y = 0;
  if (width == CW_USEDEFAULT) {
    width = screen().width() * 3 / 4;
    height = screen().height() * 3 / 4;
  }
  window->rect = RECT{x, y, x + (width > 0 ? width : 0), y + (height > 0 ? height : 0)};
  Window* raw = window.get();
  HWND handle = reinterpret_cast<HWND>(raw);
  windows_.push_back(std::move(window));

  RECT client;
  clientOnScreen(handle, client);
  if (!backend().createWindow(handle, raw->title.c_str(), client, raw->style)) {
    raw->alive = false;
    return nullptr;
  }
  CREATESTRUCTA create{param, instance,  nullptr, nullptr, height, width, y, x, static_cast<LONG>(style),
                       title, className, exStyle};
  if (!send(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) ||
      send(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    destroy(handle);
    return nullptr;
  }
  if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
  return handle;
}

bool WindowManager::destroy(HWND handle) {
  Window* window = find(handle);
  if (!window) return false;
  send(handle, WM_DESTROY, 0, 0);
  send(handle, WM_NCDESTROY, 0, 0);
  window->alive = false;
  window->visible = false;
  messageQueue().forgetWindow(handle);
  backend().destroyWindow(handle);
  return true;
}

Window* WindowManager::find(HWND handle) {
  if (!handle) return nullptr;
  for (const auto& window : windows_) {
    if (reinterpret_cast<HWND>(window.get()) == handle) return window->alive ? window.get() : nullptr;
  }
  return nullptr;
}

HWND WindowManager::mainWindow() {
  for (const auto& window : windows_) {
    if (window->alive) return reinterpret_cast<HWND>(window.get());
  }
  return nullptr;
}

RECT WindowManager::frameOf(const Window& window) {
  return backend().frameInsets(window.style);
}

bool WindowManager::clientOnScreen(HWND handle, RECT& client) {
  if (isDesktop(handle)) {
    client = RECT{0, 0, screen().width(), screen().height()};
    return true;
  }
  Window* window = find(handle);
  if (!window) return false;
  RECT insets = frameOf(*window);
  client.left = window->rect.left + insets.left;
  client.top = window->rect.top + insets.top;
  client.right = window->rect.right - insets.right;
  client.bottom = window->rect.bottom - insets.bottom;
  if (client.right < client.left) client.right = client.left;
  if (client.bottom < client.top) client.bottom = client.top;
  return true;
}

void WindowManager::place(HWND handle, const POINT* position, const SIZE* size) {
  Window* window = find(handle);
  if (!window) return;
  RECT old = window->rect;
  if (position) {
    window->rect.right += position->x - window->rect.left;
    window->rect.bottom += position->y - window->rect.top;
    window->rect.left = position->x;
    window->rect.top = position->y;
  }
  if (size) {
    window->rect.right = window->rect.left + (size->cx > 0 ? size->cx : 0);
    window->rect.bottom = window->rect.top + (size->cy > 0 ? size->cy : 0);
  }
  notifyPlacement(handle);
  RECT client;
  clientOnScreen(handle, client);
  if (old.left != window->rect.left || old.top != window->rect.top) {
    send(handle, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
  }
  if (old.right - old.left != window->rect.right - window->rect.left ||
      old.bottom - old.top != window->rect.bottom - window->rect.top) {
    send(handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right - client.left, client.bottom - client.top));
  }
}

void WindowManager::notifyPlacement(HWND handle) {
  RECT client;
  Window* window = find(handle);
  if (window && clientOnScreen(handle, client)) backend().placeWindow(handle, client, window->style);
}

void WindowManager::setVisible(HWND handle, bool visible) {
  Window* window = find(handle);
  if (!window || window->visible == visible) return;
  window->visible = visible;
  backend().showWindow(handle, visible, window->style);
  send(handle, WM_SHOWWINDOW, visible ? TRUE : FALSE, 0);
}

void WindowManager::setActive(bool active) {
  if (active_ == active) return;
  active_ = active;
  // Every top-level window of the application hears of it, as on Windows.
  for (size_t i = 0; i < windows_.size(); ++i) {
    if (!windows_[i]->alive) continue;
    HWND handle = reinterpret_cast<HWND>(windows_[i].get());
    send(handle, WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
    send(handle, WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0);
  }
}

LRESULT WindowManager::send(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* window = find(handle);
  if (!window || !window->procedure) return 0;
  return window->procedure(handle, message, wParam, lParam);
}

void WindowManager::reset() {
  for (auto& window : windows_) window->alive = false;
  classes_.clear();
  active_ = false;
}

}  // namespace platform
