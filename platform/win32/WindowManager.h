#pragma once

#include <memory>
#include <string>
#include <vector>

#include <windows.h>

namespace platform {

// One window: what Win32 keeps about it. An HWND is the address of its Window.
struct Window {
  std::string className;
  std::string title;
  WNDPROC procedure = nullptr;
  HINSTANCE instance = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect{};  // outer rectangle, screen coordinates
  bool visible = false;
  bool alive = true;
  LONG id = 0;
  LONG_PTR userData = 0;
};

// The registered window classes and the windows of the process, their placement and activation.
class WindowManager {
public:
  ATOM registerClass(const WNDCLASSA& windowClass);
  HWND create(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y, int width, int height,
              HINSTANCE instance, LPVOID param);
  bool destroy(HWND handle);

  // The live window of a handle, or null (also for the desktop).
  Window* find(HWND handle);
  HWND desktop() const { return reinterpret_cast<HWND>(const_cast<Window*>(&desktop_)); }
  bool isDesktop(HWND handle) const { return handle == desktop(); }
  // The first live window made, where input without a window goes.
  HWND mainWindow();

  // Client area of a live window (or the desktop) in screen coordinates.
  bool clientOnScreen(HWND handle, RECT& client);
  RECT frameOf(const Window& window);

  // Moves and sizes a window; null pointers keep the current position or size.
  void place(HWND handle, const POINT* position, const SIZE* size);
  void setVisible(HWND handle, bool visible);
  void notifyPlacement(HWND handle);

  // The application's activation, as WM_ACTIVATEAPP tells the windows.
  bool active() const { return active_; }
  void setActive(bool active);

  LRESULT send(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);

  void reset();

private:
  struct Class {
    std::string name;
    WNDCLASSA info{};
  };
  const Class* findClass(const char* name) const;

  std::vector<Class> classes_;
  std::vector<std::unique_ptr<Window>> windows_;  // dead ones stay, so old handles never dangle
  Window desktop_;
  bool active_ = false;
};

WindowManager& windowManager();

}  // namespace platform
